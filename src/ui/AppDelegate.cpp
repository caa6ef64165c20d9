#include "ui/AppDelegate.hpp"

#include <QAction>
#include <QCoreApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPalette>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <array>

#include "app/DebugLogCollector.hpp"
#include "app/TabletViewModel.hpp"
#include "localization/AppLocalization.hpp"
#include "program/HelperPrograms.hpp"
#include "program/LoginItem.hpp"
#include "services/Alerts.hpp"
#include "services/Workspace.hpp"
#include "settings/UserDefaults.hpp"
#include "ui/AboutView.hpp"
#include "ui/ContentView.hpp"
#include "ui/MainWindow.hpp"
#include "ui/PermissionHelpDialog.hpp"
#include "ui/Symbols.hpp"
#include "ui/UpdaterController.hpp"

namespace drawlume {

namespace {
constexpr int kFitDelayMs = 100;
}

AppDelegate::AppDelegate(Services services, QObject* parent)
    : QObject(parent), services_(std::move(services)) {
    if (!services_.exitApplication) {
        services_.exitApplication = [](int status) { QCoreApplication::exit(status); };
    }
}

AppDelegate::~AppDelegate() {
    delete aboutWindow_;
    delete window_;
}

MainWindow* AppDelegate::window() const {
    return window_;
}

QWidget* AppDelegate::aboutWindow() const {
    return aboutWindow_;
}

std::string AppDelegate::text(const char* key) const {
    return services_.localization.localized(key);
}

void AppDelegate::applicationDidFinishLaunching() {
    updaterController_ =
        new UpdaterController(services_.defaults, DRAWLUME_VERSION,
                              QString::fromStdString(feedDownloadModulePath()), this);
    connect(updaterController_, &UpdaterController::checkFinished, this,
            &AppDelegate::presentUpdateResult);
    updaterController_->startUpdater();

    viewModel_ = services_.makeViewModel();

    // The window takes the application's icon: a set of its own would be a
    // second copy of every size, held for the whole session.
    window_ = new MainWindow([this] { return windowShouldClose(); });
    contentView_ =
        new ContentView(*viewModel_, services_.localization,
                        ContentView::Actions{[this] { openPermissionHelp(); },
                                             [this] { services_.debugLogCollector.clearLogs(); }});
    // The content scrolls only where the screen is too short for it.
    scrollArea_ = new QScrollArea();
    scrollArea_->setObjectName("contentScroll");
    scrollArea_->setFrameShape(QFrame::NoFrame);
    scrollArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollArea_->setWidget(contentView_);
    window_->setCentralWidget(scrollArea_);
    setupMainMenu();
    setupStatusItem();
    resizeWindowToFitContent();
    restoreOrCentreWindow();
    window_->setWindowTitle(QString::fromStdString(text("window.main.title")));

    connect(contentView_, &ContentView::contentChanged, this, [this] {
        QTimer::singleShot(kFitDelayMs, this, [this] { resizeWindowToFitContent(); });
    });

    window_->show();
    window_->raise();
    window_->activateWindow();
    observeLanguageChanges();
    updateMenuTitles();
    viewModel_->startService();
}

void AppDelegate::applicationWillTerminate() {
    if (window_ != nullptr && window_->isVisible()) {
        saveWindowFrame();
    }
    if (viewModel_ && viewModel_->isRunning) {
        viewModel_->stopService();
    }
}

void AppDelegate::setupMainMenu() {
    applicationMenu_ = window_->menuBar()->addMenu(QString());
    applicationMenu_->setObjectName("applicationMenu");
    aboutMenuItem_ = applicationMenu_->addAction(QString(), this, [this] { showAbout(); });
    applicationMenu_->addSeparator();
    checkForUpdatesMenuItem_ =
        applicationMenu_->addAction(QString(), this, [this] { checkForUpdates(); });
    applicationMenu_->addSeparator();
    appQuitMenuItem_ = applicationMenu_->addAction(QString(), this, [this] { quitApp(); });
    appQuitMenuItem_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    appQuitMenuItem_->setShortcutContext(Qt::ApplicationShortcut);
    window_->addAction(appQuitMenuItem_);
    updateMenuTitles();
}

void AppDelegate::setupStatusItem() {
    statusMenu_ = new QMenu();
    statusMenu_->setObjectName("statusMenu");
    openMenuItem_ = statusMenu_->addAction(QString(), this, [this] { openWindow(); });
    logFolderMenuItem_ = statusMenu_->addAction(QString(), this, [this] { openLogFolder(); });
    if (LoginItem* loginItem = services_.loginItem) {
        startAtLoginMenuItem_ = statusMenu_->addAction(QString());
        startAtLoginMenuItem_->setCheckable(true);
        startAtLoginMenuItem_->setChecked(loginItem->isEnabled());
        connect(startAtLoginMenuItem_, &QAction::toggled, this, [this, loginItem](bool on) {
            loginItem->setEnabled(on);
            // The entry on disk is the truth, also when writing it failed.
            const QSignalBlocker quiet(startAtLoginMenuItem_);
            startAtLoginMenuItem_->setChecked(loginItem->isEnabled());
        });
        // The user may switch it in the desktop's own settings meanwhile.
        connect(statusMenu_, &QMenu::aboutToShow, this, [this, loginItem] {
            const QSignalBlocker quiet(startAtLoginMenuItem_);
            startAtLoginMenuItem_->setChecked(loginItem->isEnabled());
        });
    }
    statusMenu_->addSeparator();
    statusQuitMenuItem_ = statusMenu_->addAction(QString(), this, [this] { quitApp(); });
    if (services_.trayAvailable) {
        statusItem_ = new QSystemTrayIcon(trayIcon(), this);
        // A new icon theme may bring (or drop) the named icon.
        window_->installEventFilter(this);
        statusItem_->setContextMenu(statusMenu_);
        connect(statusItem_, &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason reason) {
                    if (reason == QSystemTrayIcon::Trigger) {
                        openWindow();
                    }
                });
        statusItem_->show();
    }
    updateMenuTitles();
}

std::vector<QAction*> AppDelegate::menuItems() const {
    return {aboutMenuItem_, checkForUpdatesMenuItem_, appQuitMenuItem_,
            openMenuItem_,  logFolderMenuItem_,       statusQuitMenuItem_};
}

void AppDelegate::updateMenuTitles() {
    const std::array<std::pair<QAction*, const char*>, 7> items = {{
        {aboutMenuItem_, "menu.about"},
        {checkForUpdatesMenuItem_, "menu.check_for_updates"},
        {appQuitMenuItem_, "menu.quit"},
        {openMenuItem_, "menu.open"},
        {logFolderMenuItem_, "menu.log_folder"},
        {statusQuitMenuItem_, "menu.exit"},
        {startAtLoginMenuItem_, "menu.start_at_login"},
    }};
    for (const auto& [item, key] : items) {
        if (item != nullptr) {
            item->setText(QString::fromStdString(text(key)));
        }
    }
    if (applicationMenu_ != nullptr) {
        applicationMenu_->setTitle(QString::fromStdString(text("app.name")));
    }
    if (statusItem_ != nullptr) {
        statusItem_->setToolTip(QString::fromStdString(text("tooltip.tray")));
    }
    if (window_ != nullptr) {
        window_->setWindowTitle(QString::fromStdString(text("window.main.title")));
    }
    if (aboutWindow_ != nullptr) {
        aboutWindow_->setWindowTitle(QString::fromStdString(text("window.about.title")));
    }
    QTimer::singleShot(kFitDelayMs, this, [this] { resizeWindowToFitContent(); });
}

void AppDelegate::observeLanguageChanges() {
    // Subscribing delivers nothing; each later choice retitles everything once
    // the new language is in place.
    cancellables_.push_back(
        services_.localization.selectedLanguage().subscribe([this](AppLanguage) {
            QMetaObject::invokeMethod(
                this, [this] { updateMenuTitles(); }, Qt::QueuedConnection);
        }));
}

void AppDelegate::resizeWindowToFitContent() {
    if (window_ == nullptr || window_->centralWidget() != scrollArea_ || contentView_ == nullptr) {
        return;
    }
    const int menuHeight =
        window_->menuBar()->isVisible() ? window_->menuBar()->sizeHint().height() : 0;
    // The decorations are known once a window manager has framed the window.
    const int frameHeight = window_->frameGeometry().height() - window_->height();
    const QScreen* screen = window_->screen();
    const QRect available = screen != nullptr ? screen->availableGeometry() : QRect();
    const int room =
        available.isValid() ? available.height() - frameHeight - menuHeight : QWIDGETSIZE_MAX;
    contentView_->setMaximumFittingHeight(room);
    const QSize content = contentView_->sizeHint();
    const bool scrolls = content.height() > room;
    scrollArea_->setVerticalScrollBarPolicy(scrolls ? Qt::ScrollBarAlwaysOn
                                                    : Qt::ScrollBarAlwaysOff);
    const int scrollBarWidth = scrolls ? scrollArea_->verticalScrollBar()->sizeHint().width() : 0;
    const int height = std::min(content.height(), room) + menuHeight;
    // Qt keeps the top-left corner where it is; a window that grew past the
    // bottom of the screen moves up instead.
    window_->setFixedSize(content.width() + scrollBarWidth, height);
    if (available.isValid() && window_->isVisible()) {
        const int bottom = window_->y() + frameHeight + height;
        if (bottom > available.bottom() + 1) {
            window_->move(window_->x(), std::max(available.top(),
                                                 window_->y() - (bottom - available.bottom() - 1)));
        }
    }
}

bool AppDelegate::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ThemeChange && statusItem_ != nullptr) {
        statusItem_->setIcon(trayIcon());
    }
    return QObject::eventFilter(watched, event);
}

bool AppDelegate::windowShouldClose() {
    if (quitting_) {
        return true;
    }
    if (!services_.trayAvailable) {
        window_->showMinimized();
        return false;
    }
    AlertContent alert;
    alert.messageText = text("alert.minimize.message");
    alert.informativeText = text("alert.minimize.info");
    alert.style = AlertStyle::informational;
    alert.buttonTitles = {text("alert.minimize.button")};
    services_.alerts.runModal(alert);
    saveWindowFrame();
    window_->hide();
    return false;
}

void AppDelegate::openWindow() {
    if (window_ == nullptr) {
        return;
    }
    if (window_->isMinimized()) {
        window_->showNormal();
    }
    if (!window_->isVisible()) {
        restoreOrCentreWindow();
    }
    window_->show();
    window_->raise();
    window_->activateWindow();
}

void AppDelegate::showAbout() {
    if (aboutWindow_ != nullptr) {
        aboutWindow_->setWindowTitle(QString::fromStdString(text("window.about.title")));
        aboutWindow_->show();
        aboutWindow_->raise();
        aboutWindow_->activateWindow();
        return;
    }
    // A dialog, so that Return presses Close and Escape closes it.
    auto* about =
        new QDialog(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    about->setObjectName("aboutWindow");
    about->setWindowIcon(appIcon());
    auto* layout = new QVBoxLayout(about);
    layout->setContentsMargins(0, 0, 0, 0);
    // The window takes the view's size, also when a language change resizes it.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    auto* view = new AboutView(
        services_.localization, ApplicationInfo::current(), [about] { about->close(); },
        [this](const std::string& address) { services_.workspace.openAddress(address); }, about);
    layout->addWidget(view);
    about->setWindowTitle(QString::fromStdString(text("window.about.title")));
    // Centred once its layout has given it its size.
    about->adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        about->move(screen->availableGeometry().center() - about->rect().center());
    }
    aboutWindow_ = about;
    about->show();
    about->raise();
    about->activateWindow();
}

void AppDelegate::checkForUpdates() {
    updaterController_->checkForUpdates();
}

void AppDelegate::openLogFolder() {
    if (services_.workspace.openFolder(services_.logsDirectory)) {
        return;
    }
    // No file manager answered: say where the logs are instead.
    AlertContent alert;
    alert.style = AlertStyle::informational;
    alert.messageText = text("log_folder.failed.title");
    alert.informativeText = text("log_folder.failed.info") + "\n" + services_.logsDirectory;
    alert.buttonTitles = {services_.localization.localized("alert.device_error.ok", "OK")};
    services_.alerts.runModal(alert);
}

void AppDelegate::quitApp() {
    quitting_ = true;
    applicationWillTerminate();
    services_.exitApplication(0);
}

void AppDelegate::openPermissionHelp() {
    if (permissionHelp_ == nullptr) {
        permissionHelp_ = new PermissionHelpDialog(
            services_.localization,
            services_.permissionSetup ? services_.permissionSetup() : PermissionSetup::current(),
            [this] {
                viewModel_->checkAccessibilityPermissions();
                return viewModel_->permissionState.get();
            },
            window_);
    }
    permissionHelp_->show(viewModel_->permissionState);
}

void AppDelegate::presentUpdateResult(const UpdateCheckResult& result, bool requestedByUser) {
    using Outcome = UpdateCheckResult::Outcome;
    if (!requestedByUser && result.outcome != Outcome::updateAvailable) {
        return;  // automatic checks speak only of news
    }
    const AppLocalization& localization = services_.localization;
    const std::string latest = result.latestVersion.toStdString();
    const std::string current = result.currentVersion.toStdString();
    const std::string address = result.downloadUrl.toString().toStdString();
    AlertContent alert;
    alert.buttonTitles = {localization.localized("alert.device_error.ok", "OK")};
    switch (result.outcome) {
        case Outcome::updateAvailable: {
            alert.style = AlertStyle::informational;
            alert.messageText = localization.localized("update.available.title",
                                                       "A new version of Drawlume is available");
            const std::array<FormatArgument, 3> arguments = {
                FormatArgument(std::string_view(latest)), FormatArgument(std::string_view(current)),
                FormatArgument(std::string_view(address))};
            alert.informativeText = localization.localizedFormat(
                "update.available.info", "Drawlume %s is out (you have %s). Download it from %s",
                arguments);
            break;
        }
        case Outcome::upToDate: {
            alert.style = AlertStyle::informational;
            alert.messageText =
                localization.localized("update.current.title", "Drawlume is up to date");
            const std::array<FormatArgument, 1> arguments = {
                FormatArgument(std::string_view(current))};
            alert.informativeText = localization.localizedFormat(
                "update.current.info", "Version %s is the newest version.", arguments);
            break;
        }
        case Outcome::failed:
            alert.style = AlertStyle::warning;
            alert.messageText =
                localization.localized("update.failed.title", "The update check failed");
            alert.informativeText = localization.localized(
                "update.failed.info",
                "Drawlume could not reach the update server. Check the network connection and "
                "try again.");
            alert.detailedText = result.error.toStdString();
            break;
    }
    services_.alerts.runModal(alert);
}

void AppDelegate::saveWindowFrame() {
    if (window_ == nullptr) {
        return;
    }
    // The frame's corner, where move() puts it back.
    const QPoint corner = window_->pos();
    services_.defaults.set(kMainWindowFrameKey, QStringLiteral("%1 %2 %3 %4")
                                                    .arg(corner.x())
                                                    .arg(corner.y())
                                                    .arg(window_->width())
                                                    .arg(window_->height())
                                                    .toStdString());
}

void AppDelegate::restoreOrCentreWindow() {
    if (const auto stored = services_.defaults.object(kMainWindowFrameKey)) {
        if (const auto* frame = std::get_if<std::string>(&*stored)) {
            const QStringList parts = QString::fromStdString(*frame).split(' ');
            bool okX = false;
            bool okY = false;
            const QPoint topLeft(parts.value(0).toInt(&okX), parts.value(1).toInt(&okY));
            if (parts.size() == 4 && okX && okY && QGuiApplication::screenAt(topLeft) != nullptr) {
                window_->move(topLeft);
                return;
            }
        }
    }
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        window_->move(screen->availableGeometry().center() - window_->rect().center());
    }
}

}  // namespace drawlume
