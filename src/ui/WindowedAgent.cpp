#include "ui/WindowedAgent.hpp"

#include <QApplication>
#include <QSocketNotifier>
#include <QSystemTrayIcon>
#include <memory>

#include <unistd.h>

#include "app/AgentCore.hpp"
#include "app/LoginItem.hpp"
#include "app/StartupLogging.hpp"
#include "app/TabletViewModel.hpp"
#include "logging/DDLog.hpp"
#include "platform/linux/AgentIo.hpp"
#include "platform/linux/ExecutablePath.hpp"
#include "platform/linux/LinuxSystemInformation.hpp"
#include "platform/linux/TerminationSignals.hpp"
#include "settings/StandardUserDefaults.hpp"
#include "ui/AppDelegate.hpp"
#include "ui/QtDesktopServices.hpp"
#include "ui/QtRunLoop.hpp"
#include "ui/QtScreenList.hpp"
#include "ui/QtSystemEvents.hpp"
#include "ui/Symbols.hpp"

namespace drawlume {

int runWindowedAgent(int argc, char** argv, const AgentOptions& options) {
    std::vector<HidRecording> recordings;
    if (!loadRecordings(options.replayFiles, recordings)) {
        return 2;
    }
    // Blocked before any thread starts, so that only the event loop hears them.
    const int signalFd = openTerminationSignalFd();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("drawlume-agent"));
    QApplication::setApplicationDisplayName(QStringLiteral("Drawlume"));
    QApplication::setDesktopFileName(QStringLiteral("drawlume-agent"));
    QApplication::setWindowIcon(appIcon());
    // The agent lives on in the tray with every window closed.
    QApplication::setQuitOnLastWindowClosed(false);

    const std::shared_ptr<DDFileLogger> fileLogger = setupLogging();
    logSystemInformation(readSystemInformation());

    QtRunLoop loop;
    auto screens = std::make_shared<QtScreenList>();
    QtSystemEvents events(*screens);
    events.startSleepWatch();
    std::shared_ptr<UserDefaults> defaults = options.usesOwnSettings()
                                                 ? std::make_shared<InMemoryUserDefaults>()
                                                 : makeStandardUserDefaults();
    AgentIo io(options, recordings, *screens);
    if (UinputEventSink* desktop = io.desktopSink()) {
        events.addObserver(SystemEvent::screenParametersChanged,
                           [desktop] { desktop->screensChanged(); });
    }
    QtAlerts alerts;
    QtWorkspace workspace;
    LoginItem loginItem(LoginItem::defaultEntryPath(), {executablePath()});
    AgentCore core(AgentPlatform{loop, events, io.accessibilityTrust(), io.eventSink(),
                                 io.desktopSink(), io.hidHost(), alerts, io.clocks(), screens,
                                 defaults});
    AppDelegate delegate(AppDelegate::Services{*defaults,
                                               core.localization(),
                                               alerts,
                                               workspace,
                                               core.debugLogCollector(),
                                               fileLogger->logFileManager().logsDirectory(),
                                               [&core] { return core.makeViewModel(); },
                                               QSystemTrayIcon::isSystemTrayAvailable(),
                                               {},
                                               &loginItem,
                                               {}});
    QObject::connect(&application, &QCoreApplication::aboutToQuit,
                     [&delegate] { delegate.applicationWillTerminate(); });
    if (ReplayHidHost* replay = io.replay()) {
        replay->setOnFinished([&delegate] { delegate.quitApp(); });
    }
    std::unique_ptr<QSocketNotifier> terminationNotifier;
    if (signalFd >= 0) {
        terminationNotifier = std::make_unique<QSocketNotifier>(signalFd, QSocketNotifier::Read);
        QObject::connect(terminationNotifier.get(), &QSocketNotifier::activated,
                         [&delegate, signalFd] {
                             drainTerminationSignal(signalFd);
                             delegate.quitApp();
                         });
    }
    delegate.applicationDidFinishLaunching();
    const int status = QApplication::exec();
    terminationNotifier.reset();
    DDLog::sharedInstance().flushLog();
    if (signalFd >= 0) {
        ::close(signalFd);
    }
    return status;
}

}  // namespace drawlume
