#pragma once

#include <QDialog>
#include <functional>

class QTextBrowser;
class QPushButton;

namespace drawlume {

class AppLocalization;
struct AccessibilityTrustState;

// The page behind the permission button: what is missing and the exact
// commands that grant it (the udev rule written out in full, the module, the
// reload), in the application's language where a translation exists, with a
// button that checks again.
class PermissionHelpDialog final : public QDialog {
    Q_OBJECT

public:
    PermissionHelpDialog(AppLocalization& localization, std::function<void()> checkAgain,
                         QWidget* parent = nullptr);

    void show(const AccessibilityTrustState& state);
    QString pageHtml() const;

    // The commands, each line ready to paste into a terminal.
    static QString installCommands();

private:
    AppLocalization& localization_;
    QTextBrowser* page_;
    QPushButton* checkAgain_;
    QPushButton* close_;
};

}  // namespace drawlume
