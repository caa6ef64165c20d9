#include "ui/WindowedAgent.hpp"

#include <QApplication>
#include <QSystemTrayIcon>
#include <memory>

#include "app/TabletViewModel.hpp"
#include "program/AgentRun.hpp"
#include "ui/AppDelegate.hpp"
#include "ui/QtDesktopServices.hpp"
#include "ui/QtRunLoop.hpp"
#include "ui/QtScreenList.hpp"
#include "ui/QtSystemEvents.hpp"
#include "ui/Symbols.hpp"

namespace drawlume {

int runWindowedAgent(int argc, char** argv, const AgentOptions& options,
                     const SessionLock* session) {
    AgentRun run(options, session);
    if (!run.recordingsLoaded()) {
        return 2;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("drawlume-agent"));
    QApplication::setApplicationDisplayName(QStringLiteral("Drawlume"));
    QApplication::setDesktopFileName(QStringLiteral("drawlume-agent"));
    QApplication::setWindowIcon(appIcon());
    // The agent lives on in the tray with every window closed.
    QApplication::setQuitOnLastWindowClosed(false);
    run.startLogging();

    QtRunLoop loop;
    auto screens = std::make_shared<QtScreenList>();
    QtSystemEvents events(*screens);
    QtAlerts alerts;
    QtWorkspace workspace;
    AgentCore& core = run.assemble(ShellServices{loop, events, screens, alerts});
    int status = 0;
    {
        AppDelegate delegate(
            AppDelegate::Services{run.defaults(),
                                  core.localization(),
                                  alerts,
                                  workspace,
                                  core.debugLogCollector(),
                                  run.fileLogger()->logFileManager().logsDirectory(),
                                  [&core] { return core.makeViewModel(); },
                                  QSystemTrayIcon::isSystemTrayAvailable(),
                                  {},
                                  &run.loginItem(),
                                  {}});
        QObject::connect(&application, &QCoreApplication::aboutToQuit,
                         [&delegate] { delegate.applicationWillTerminate(); });
        run.stopOn([&delegate] { delegate.quitApp(); });
        run.acceptHandOver([&delegate] {
            delegate.openWindow();
            return true;
        });
        delegate.applicationDidFinishLaunching();
        status = QApplication::exec();
        // Nothing may call the delegate once it is gone.
        run.stopListening();
    }
    run.finish();
    return status;
}

}  // namespace drawlume
