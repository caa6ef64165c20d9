#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include <poll.h>

#include "platform/linux/session/CoreLock.hpp"
#include "services/RunLoop.hpp"

namespace drawlume {

// The headless agent's main loop: queued tasks, timers and readable file
// descriptors, served by poll() on the thread that calls run(). Tasks may be
// posted from any thread; an eventfd wakes the loop.
//
// With Reads::onThreads, each watched read has a thread of its own that
// blocks in the read and hands over what came, so a report costs its read
// and nothing more. The core still runs one piece at a time: the loop's
// thread holds the core lock from construction on, except while it waits,
// and a reader hands over only while holding it; such a loop is made, run
// and destroyed on one thread.
class PollRunLoop final : public RunLoop {
public:
    enum class Reads { onLoop, onThreads };
    explicit PollRunLoop(Reads reads = Reads::onLoop);
    ~PollRunLoop() override;
    PollRunLoop(const PollRunLoop&) = delete;
    PollRunLoop& operator=(const PollRunLoop&) = delete;

    void post(Task task) override;
    void postAfter(double seconds, Task task) override;
    WatchId watchReadable(int fd, Task onReadable) override;
    WatchId watchReads(int fd, size_t slotSize, size_t slotCount, ReadHandler onRead) override;
    void unwatch(WatchId id) override;

    // Serves tasks and descriptors until stop(); returns at once if stop()
    // came first. A descriptor poll() finds invalid is unwatched.
    void run();
    // Makes run() return after the task or callback in progress. Safe from
    // any thread, but not from a signal handler: it takes a lock.
    void stop();

private:
    struct Reader;
    // A reader thread's body: reads and hands over until unwatched.
    static void* readUntilCancelled(void* argument);

    using Clock = std::chrono::steady_clock;
    // Due time and sequence number: equal times run in posting order.
    using Key = std::pair<Clock::time_point, uint64_t>;
    struct Watch {
        int fd;
        std::shared_ptr<const Task> onReadable;
    };

    void addTask(Clock::time_point due, Task task);
    // Runs the tasks due now that were queued before this turn began.
    void runDueTasks();
    int pollTimeoutMilliseconds();
    void wake();

    int wakeFd_ = -1;
    std::mutex mutex_;
    std::map<Key, Task> tasks_;
    uint64_t sequence_ = 0;
    std::map<WatchId, Watch> watches_;
    WatchId nextWatch_ = 1;
    bool stopping_ = false;
    // Held by the loop's thread except while it waits; none with Reads::onLoop.
    std::shared_ptr<CoreLock> core_;
    std::map<WatchId, std::shared_ptr<Reader>> readers_;
    // Reused every turn, so that serving a descriptor allocates nothing.
    std::vector<pollfd> pollFds_;
    std::vector<WatchId> pollIds_;
};

}  // namespace drawlume
