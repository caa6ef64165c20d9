#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "displays/ScreenList.hpp"
#include "logging/DDFileLogger.hpp"
#include "platform/linux/session/HandOverServer.hpp"
#include "platform/linux/session/LogindSleepWatcher.hpp"
#include "platform/replay/HidRecording.hpp"
#include "program/AgentCore.hpp"
#include "program/AgentIo.hpp"
#include "program/AgentOptions.hpp"
#include "program/LoginItem.hpp"
#include "services/Alerts.hpp"
#include "services/RunLoop.hpp"
#include "services/SystemEvents.hpp"
#include "settings/UserDefaults.hpp"

namespace drawlume {

class SessionLock;

// The services a shell (the poll() loop without windows, or Qt) hands to a run.
struct ShellServices {
    RunLoop& runLoop;
    SystemEventsHub& systemEvents;
    std::shared_ptr<ScreenList> screens;
    Alerts& alerts;
};

// The one start-up sequence of the agent, with or without windows, in the
// order the steps must come: the recordings and the termination signals
// before anything else, then logging and the system-information block, then
// the shell's services, sleep, the I/O, the settings and the core; at the end
// the log is flushed and the signals closed.
class AgentRun {
public:
    // Loads the recordings and blocks the termination signals, before any
    // thread starts, so that only the run's loop hears them. A refused
    // recording was named on standard error; the run ends with exit status 2.
    AgentRun(const AgentOptions& options, const SessionLock* session);
    ~AgentRun();
    AgentRun(const AgentRun&) = delete;
    AgentRun& operator=(const AgentRun&) = delete;

    bool recordingsLoaded() const { return recordingsLoaded_; }
    const AgentOptions& options() const { return options_; }

    // The system log and the rotating log files, then the system-information block.
    void startLogging();
    const std::shared_ptr<DDFileLogger>& fileLogger() const { return fileLogger_; }

    // Follows sleep (not for a replay, which holds no companion), builds the
    // I/O and the core on the shell's services. Call once.
    AgentCore& assemble(const ShellServices& shell);
    AgentIo& io() { return *io_; }
    UserDefaults& defaults() { return *defaults_; }
    LoginItem& loginItem() { return loginItem_; }

    // `stop` runs on the loop when SIGINT, SIGTERM or SIGHUP arrives and when
    // the last recording has played.
    void stopOn(std::function<void()> stop);
    // Later launches in the session ask for the window: `show` answers whether
    // it could; without it they are told there is no window.
    void acceptHandOver(std::function<bool()> show);

    // Forgets the callbacks given to stopOn() and acceptHandOver(), before
    // what they call goes away.
    void stopListening();
    // Takes down what assemble() built, while the shell's services still
    // exist: after every user of the core is gone, before the loop goes.
    void finish();

private:
    const AgentOptions& options_;
    const SessionLock* session_;
    std::vector<HidRecording> recordings_;
    bool recordingsLoaded_ = false;
    int signalFd_ = -1;
    std::shared_ptr<DDFileLogger> fileLogger_;
    RunLoop* loop_ = nullptr;
    std::optional<LogindSleepWatcher> sleepWatcher_;
    std::shared_ptr<UserDefaults> defaults_;
    std::unique_ptr<AgentIo> io_;
    std::unique_ptr<AgentCore> core_;
    std::optional<HandOverServer> handOver_;
    RunLoop::WatchId signalWatch_ = 0;
    LoginItem loginItem_;
};

}  // namespace drawlume
