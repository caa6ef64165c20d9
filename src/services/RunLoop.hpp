#pragma once

#include <cstdint>
#include <functional>

namespace drawlume {

// The main run loop and main queue: everything of the core that is not a
// logger or the debug collector runs on the loop's thread. The Qt event loop
// serves the windowed application, a poll() loop the headless one, and a
// manual loop with virtual time the tests.
class RunLoop {
public:
    using Task = std::function<void()>;
    using WatchId = uint64_t;

    virtual ~RunLoop() = default;

    // Runs the task on the loop's thread after the work already queued. Safe
    // to call from any thread.
    virtual void post(Task task) = 0;
    // Runs the task on the loop's thread once the delay has passed.
    virtual void postAfter(double seconds, Task task) = 0;
    // Calls onReadable on the loop's thread each time fd has data, until unwatched.
    virtual WatchId watchReadable(int fd, Task onReadable) = 0;
    virtual void unwatch(WatchId id) = 0;
};

}  // namespace drawlume
