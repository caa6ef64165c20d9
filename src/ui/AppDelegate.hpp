#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/PermissionSetup.hpp"
#include "util/Subscription.hpp"

class QAction;
class QMenu;
class QScrollArea;
class QSystemTrayIcon;
class QWidget;

namespace drawlume {

class AboutView;
class Alerts;
class LoginItem;
class AppLocalization;
class ContentView;
class DebugLogCollector;
class MainWindow;
class PermissionHelpDialog;
class TabletViewModel;
class UpdaterController;
class UserDefaults;
class Workspace;
struct UpdateCheckResult;

// The shell of the windowed application: the update checker, the model, the
// application menu, the tray icon with its menu, the main window around the
// main view and the About window, all titled in the chosen language. Closing
// the main window hides it while the agent keeps running in the tray; every
// way of quitting stops the service first.
class AppDelegate final : public QObject {
    Q_OBJECT

public:
    struct Services {
        UserDefaults& defaults;
        AppLocalization& localization;
        Alerts& alerts;
        Workspace& workspace;
        DebugLogCollector& debugLogCollector;
        std::string logsDirectory;
        std::function<std::shared_ptr<TabletViewModel>()> makeViewModel;
        // Without a tray host, closing minimises the window instead, so it
        // stays reachable from the task bar.
        bool trayAvailable = true;
        // Ends the event loop; the application's exit by default.
        std::function<void(int)> exitApplication;
        // The autostart entry behind the tray's "start at login" switch; none: no switch.
        LoginItem* loginItem = nullptr;
        // How the permission help sets up access; this agent's own when none.
        std::function<PermissionSetup()> permissionSetup;
    };

    static constexpr const char* kMainWindowFrameKey = "Main Window";

    explicit AppDelegate(Services services, QObject* parent = nullptr);
    ~AppDelegate() override;

    void applicationDidFinishLaunching();
    void applicationWillTerminate();
    // The main window's close button: hides instead of closing.
    bool windowShouldClose();

    void openWindow();
    void showAbout();
    void checkForUpdates();
    void openLogFolder();
    void quitApp();

    void updateMenuTitles();
    void resizeWindowToFitContent();

    // What the tests look at.
    TabletViewModel* viewModel() const { return viewModel_.get(); }
    MainWindow* window() const;
    QWidget* aboutWindow() const;
    ContentView* contentView() const { return contentView_; }
    QSystemTrayIcon* statusItem() const { return statusItem_; }
    UpdaterController* updaterController() const { return updaterController_; }
    std::vector<QAction*> menuItems() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setupMainMenu();
    void setupStatusItem();
    void observeLanguageChanges();
    void openPermissionHelp();
    void presentUpdateResult(const UpdateCheckResult& result, bool requestedByUser);
    void restoreOrCentreWindow();
    void saveWindowFrame();
    std::string text(const char* key) const;

    Services services_;
    QPointer<MainWindow> window_;
    QPointer<QWidget> aboutWindow_;
    std::shared_ptr<TabletViewModel> viewModel_;
    QSystemTrayIcon* statusItem_ = nullptr;
    QMenu* applicationMenu_ = nullptr;
    QMenu* statusMenu_ = nullptr;
    QAction* aboutMenuItem_ = nullptr;
    QAction* checkForUpdatesMenuItem_ = nullptr;
    QAction* appQuitMenuItem_ = nullptr;
    QAction* openMenuItem_ = nullptr;
    QAction* logFolderMenuItem_ = nullptr;
    QAction* startAtLoginMenuItem_ = nullptr;
    QAction* statusQuitMenuItem_ = nullptr;
    std::vector<Subscription> cancellables_;
    UpdaterController* updaterController_ = nullptr;
    QScrollArea* scrollArea_ = nullptr;
    ContentView* contentView_ = nullptr;
    PermissionHelpDialog* permissionHelp_ = nullptr;
    bool quitting_ = false;
};

}  // namespace drawlume
