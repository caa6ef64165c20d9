#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include <poll.h>

#include "services/RunLoop.hpp"

namespace drawlume {

// The headless agent's main loop: queued tasks, timers and readable file
// descriptors, served by poll() on the thread that calls run(). Tasks may be
// posted from any thread; an eventfd wakes the loop.
class PollRunLoop final : public RunLoop {
public:
    PollRunLoop();
    ~PollRunLoop() override;
    PollRunLoop(const PollRunLoop&) = delete;
    PollRunLoop& operator=(const PollRunLoop&) = delete;

    void post(Task task) override;
    void postAfter(double seconds, Task task) override;
    WatchId watchReadable(int fd, Task onReadable) override;
    void unwatch(WatchId id) override;

    // Serves tasks and descriptors until stop(); returns at once if stop()
    // came first. A descriptor poll() finds invalid is unwatched.
    void run();
    // Makes run() return after the task or callback in progress. Safe from
    // any thread, but not from a signal handler: it takes a lock.
    void stop();

private:
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
    // Reused every turn, so that serving a descriptor allocates nothing.
    std::vector<pollfd> pollFds_;
    std::vector<WatchId> pollIds_;
};

}  // namespace drawlume
