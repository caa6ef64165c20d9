#pragma once

#include <QDialog>
#include <functional>
#include <vector>

#include "services/AccessibilityTrust.hpp"
#include "ui/PermissionSetup.hpp"

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QVBoxLayout;

namespace drawlume {

class AppLocalization;

// The page behind the permission button: what is missing, in the
// application's language; the two or three commands that grant it, each
// with a Copy button; Set Up for Me, which runs them as root through pkexec
// and checks again; and Check Again. What each did is said in the dialog,
// the commands' own output in a details box.
class PermissionHelpDialog final : public QDialog {
    Q_OBJECT

public:
    // checkAgain checks the permission and returns what it found.
    PermissionHelpDialog(AppLocalization& localization, PermissionSetup setup,
                         std::function<AccessibilityTrustState()> checkAgain,
                         QWidget* parent = nullptr);

    void show(const AccessibilityTrustState& state);

private:
    QString text(const char* key, const char* fallback = nullptr) const;
    void showState(const AccessibilityTrustState& state);
    void fitHeight();
    void checkAgain();
    void setUp();
    void setUpFinished(int exitStatus, const QString& output);

    AppLocalization& localization_;
    PermissionSetup setup_;
    std::function<AccessibilityTrustState()> checkAgain_;
    AccessibilityTrustState state_;
    QLabel* title_;
    QLabel* reason_;
    QLabel* intro_;
    QLabel* which_;
    std::vector<QLabel*> commands_;
    std::vector<QPushButton*> copies_;
    QLabel* scope_;
    QLabel* relogin_;
    QLabel* status_;
    QPlainTextEdit* details_;
    QPushButton* setUp_;
    QPushButton* checkAgainButton_;
    QPushButton* close_;
};

}  // namespace drawlume
