#pragma once

#include <QWidget>
#include <functional>
#include <vector>

#include "util/Subscription.hpp"

class QLabel;
class QMenu;
class QPushButton;
class QToolButton;
class QVBoxLayout;

namespace drawlume {

class AppLocalization;
class DebugLogPanel;
class Spinner;
class TabletViewModel;

// The main window's contents: header, permission block, status, devices,
// displays, notice and the debug section, with the language menu in the
// top-right corner. It keeps no state of its own: it shows the model and
// the language, and each control calls the model, the language setting or
// one of the actions it was given.
class ContentView final : public QWidget {
    Q_OBJECT

public:
    struct Actions {
        std::function<void()> openPermissionHelp;
        std::function<void()> clearDebugLogs;
    };

    static constexpr int kWidth = 500;

    ContentView(TabletViewModel& model, AppLocalization& localization, Actions actions,
                QWidget* parent = nullptr);
    ~ContentView() override;

    // Shows the model and the language as they are now.
    void refresh();
    // The fixed width and the height the content needs at that width.
    QSize sizeHint() const override;

signals:
    // After every refresh, so the window can fit itself to the new content.
    void contentChanged();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void build();
    void scheduleRefresh();
    void refreshPermission();
    void refreshDevices();
    void refreshDisplays();
    void refreshLanguageMenu();
    void placeLanguageMenu();
    QString text(const char* key, const char* fallback = nullptr) const;

    TabletViewModel& model_;
    AppLocalization& localization_;
    Actions actions_;
    bool refreshPending_ = false;
    int fittingHeight_ = 0;
    std::vector<Subscription> subscriptions_;

    QLabel* appName_ = nullptr;
    QWidget* permissionBlock_ = nullptr;
    QLabel* permissionTitle_ = nullptr;
    QLabel* permissionInstructions_ = nullptr;
    QLabel* permissionReason_ = nullptr;
    QPushButton* permissionButton_ = nullptr;
    QLabel* statusDot_ = nullptr;
    QLabel* statusLabel_ = nullptr;
    QLabel* statusValue_ = nullptr;
    QLabel* deviceTitle_ = nullptr;
    QWidget* deviceStopped_ = nullptr;
    QLabel* deviceStoppedText_ = nullptr;
    QWidget* deviceWaiting_ = nullptr;
    QLabel* deviceWaitingText_ = nullptr;
    QLabel* deviceDescription_ = nullptr;
    QVBoxLayout* deviceRows_ = nullptr;
    QLabel* displayTitle_ = nullptr;
    QLabel* displayDescription_ = nullptr;
    QVBoxLayout* displayRows_ = nullptr;
    QLabel* noticeTitle_ = nullptr;
    QLabel* noticeMessage_ = nullptr;
    DebugLogPanel* debugPanel_ = nullptr;
    QToolButton* languageButton_ = nullptr;
    QMenu* languageMenu_ = nullptr;
};

}  // namespace drawlume
