#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

namespace drawlume {

// The main run loop and main queue: everything of the core that is not a
// logger or the debug collector runs on the loop's thread. The Qt event loop
// serves the windowed application, a poll() loop the headless one, and a
// manual loop with virtual time the tests.
class RunLoop {
public:
    using Task = std::function<void()>;
    using WatchId = uint64_t;
    // What one read returned: the bytes, or none and the errno that ended it
    // (none and 0: the end of the stream).
    using ReadHandler = std::function<void(std::span<const uint8_t> bytes, int error)>;

    virtual ~RunLoop() = default;

    // Runs the task on the loop's thread after the work already queued. Safe
    // to call from any thread.
    virtual void post(Task task) = 0;
    // Runs the task on the loop's thread once the delay has passed.
    virtual void postAfter(double seconds, Task task) = 0;
    // Calls onReadable on the loop's thread each time fd has data, until unwatched.
    virtual WatchId watchReadable(int fd, Task onReadable) = 0;
    virtual void unwatch(WatchId id) = 0;
    // Reads fd each time it has data, into up to slotCount slots of slotSize
    // bytes in one scattered read, and hands over what that read returned,
    // until unwatched. This loop waits, then reads; a loop that gives each
    // read a thread of its own waits in the read itself, one slot a read.
    virtual WatchId watchReads(int fd, size_t slotSize, size_t slotCount, ReadHandler onRead);
};

}  // namespace drawlume
