#include "program/HeadlessAgentRun.hpp"

#include <memory>

#include "app/TabletViewModel.hpp"
#include "platform/linux/session/PollRunLoop.hpp"
#include "program/AgentRun.hpp"
#include "program/StderrAlerts.hpp"

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
    // No output name: a display assumed, not one the desktop could be told of.
    return {{"", Rect{{0, 0}, {1920, 1080}}}};
}

int runHeadlessAgent(const AgentOptions& options, const SessionLock* session) {
    AgentRun run(options, session);
    if (!run.recordingsLoaded()) {
        return 2;
    }
    run.startLogging();
    PollRunLoop loop(PollRunLoop::Reads::onThreads);
    SystemEventsHub events;
    StderrAlerts alerts;
    AgentCore& core = run.assemble(
        ShellServices{loop, events, std::make_shared<FixedScreenList>(headlessScreens()), alerts});
    run.stopOn([&loop] { loop.stop(); });
    run.acceptHandOver(nullptr);
    int status = 0;
    {
        std::shared_ptr<TabletViewModel> model = core.makeViewModel();
        if (run.io().replay() != nullptr && !model->hasAccessibilityPermissions) {
            status = 1;  // a recording that cannot be posted would wait forever
        } else {
            if (run.io().replay() == nullptr) {
                recheckPermissionPeriodically(loop, events);
            }
            loop.run();
        }
        model->stopService();
    }
    run.finish();
    return status;
}

}  // namespace drawlume
