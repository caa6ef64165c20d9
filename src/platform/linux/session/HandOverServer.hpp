#pragma once

#include <functional>
#include <map>

#include "services/RunLoop.hpp"

namespace drawlume {

// Answers later launches of the agent on the session's socket (SessionLock),
// on the run loop: a request to show the main window runs showWindow, which
// says whether there is a window to show. Without one (the headless agent)
// the answer tells the caller so.
class HandOverServer {
public:
    using ShowWindow = std::function<bool()>;

    HandOverServer(RunLoop& loop, int listeningFd, ShowWindow showWindow);
    ~HandOverServer();
    HandOverServer(const HandOverServer&) = delete;
    HandOverServer& operator=(const HandOverServer&) = delete;

private:
    void accept();
    void serve(int connection);
    void drop(int connection);

    RunLoop& loop_;
    int listeningFd_;
    ShowWindow showWindow_;
    RunLoop::WatchId listenWatch_ = 0;
    std::map<int, RunLoop::WatchId> connections_;
};

}  // namespace drawlume
