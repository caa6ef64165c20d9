#include "platform/linux/HeadlessAgentRun.hpp"

#include <memory>

#include <unistd.h>

#include "app/AgentCore.hpp"
#include "app/StartupLogging.hpp"
#include "app/StderrAlerts.hpp"
#include "app/TabletViewModel.hpp"
#include "logging/DDLog.hpp"
#include "platform/linux/AgentIo.hpp"
#include "platform/linux/LinuxSystemInformation.hpp"
#include "platform/linux/PollRunLoop.hpp"
#include "platform/linux/TerminationSignals.hpp"
#include "settings/StandardUserDefaults.hpp"

namespace drawlume {

namespace {

// Without a desktop there is no activation to recheck the permission on; the
// headless agent asks again this often, so that installing the udev rule
// starts the service without a restart.
constexpr double kPermissionRecheckSeconds = 10.0;

void recheckPermissionPeriodically(PollRunLoop& loop, SystemEventsHub& events) {
    loop.postAfter(kPermissionRecheckSeconds, [&loop, &events] {
        events.post(SystemEvent::applicationDidBecomeActive);
        recheckPermissionPeriodically(loop, events);
    });
}

}  // namespace

std::vector<ScreenDescription> headlessScreens() {
    return {{"Display", Rect{{0, 0}, {1920, 1080}}}};
}

int runHeadlessAgent(const AgentOptions& options) {
    std::vector<HidRecording> recordings;
    if (!loadRecordings(options.replayFiles, recordings)) {
        return 2;
    }
    // Blocked before any thread starts, so that only the loop hears them.
    const int signalFd = openTerminationSignalFd();
    setupLogging();
    logSystemInformation(readSystemInformation());

    PollRunLoop loop;
    SystemEventsHub events;
    auto screens = std::make_shared<FixedScreenList>(headlessScreens());
    std::shared_ptr<UserDefaults> defaults = options.usesOwnSettings()
                                                 ? std::make_shared<InMemoryUserDefaults>()
                                                 : makeStandardUserDefaults();
    AgentIo io(options, recordings, *screens);
    if (io.replay() != nullptr) {
        io.replay()->setOnFinished([&loop] { loop.stop(); });
    }
    StderrAlerts alerts;
    int status = 0;
    {
        AgentCore core(AgentPlatform{loop, events, io.accessibilityTrust(), io.eventSink(),
                                     io.desktopSink(), io.hidHost(), alerts, io.clocks(), screens,
                                     defaults});
        std::shared_ptr<TabletViewModel> model = core.makeViewModel();
        // The permission check has said what it found on standard error.
        if (io.replay() != nullptr && !model->hasAccessibilityPermissions) {
            status = 1;  // a recording that cannot be posted would wait forever
        } else {
            if (signalFd >= 0) {
                loop.watchReadable(signalFd, [&loop, signalFd] {
                    drainTerminationSignal(signalFd);
                    loop.stop();
                });
            }
            if (io.replay() == nullptr) {
                recheckPermissionPeriodically(loop, events);
            }
            loop.run();
        }
        model->stopService();
    }
    DDLog::sharedInstance().flushLog();
    if (signalFd >= 0) {
        ::close(signalFd);
    }
    return status;
}

}  // namespace drawlume
