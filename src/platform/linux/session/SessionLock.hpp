#pragma once

#include <string>

#include <sys/types.h>

namespace drawlume {

// One agent per user session. The claim is an flock(2) on a file in the
// user's runtime directory: the kernel drops it when the holder ends, however
// it ends, so a crashed agent never blocks the next start (the file itself
// may stay; it is not the lock). Beside it the holder listens on a unix
// socket, on which a later launch asks it to show its main window.
class SessionLock {
public:
    enum class State {
        claimed,        // this process is the session's agent
        heldByAnother,  // another process holds the claim: see holderPid()
        unguarded,      // no runtime directory to claim in: see problem()
    };
    // What the running agent answered a request to show its main window.
    enum class Answer {
        windowShown,
        noWindow,  // it runs without windows
        noAnswer,  // nothing listens, or it said nothing in time
    };

    // Claims the session in runtimeDirectory ($XDG_RUNTIME_DIR; empty when unset).
    explicit SessionLock(const std::string& runtimeDirectory);
    ~SessionLock();
    SessionLock(const SessionLock&) = delete;
    SessionLock& operator=(const SessionLock&) = delete;

    State state() const { return state_; }
    // With heldByAnother: the holder's process id as it wrote it, 0 when unknown.
    pid_t holderPid() const { return holderPid_; }
    // With unguarded: why, in a few words.
    const std::string& problem() const { return problem_; }
    // With claimed: the listening socket for HandOverServer, -1 when it could not be bound.
    int listeningFd() const { return listenFd_; }

    // With heldByAnother: asks the holder to show and raise its main window.
    Answer askHolderToShowWindow(double timeoutSeconds) const;

    static constexpr const char* kShowRequest = "show\n";
    static constexpr const char* kShownAnswer = "shown\n";
    static constexpr const char* kNoWindowAnswer = "no-window\n";

private:
    void listen();

    State state_ = State::unguarded;
    std::string lockPath_;
    std::string socketPath_;
    std::string problem_;
    pid_t holderPid_ = 0;
    int lockFd_ = -1;
    int listenFd_ = -1;
};

}  // namespace drawlume
