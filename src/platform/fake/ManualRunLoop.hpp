#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <utility>

#include "services/RunLoop.hpp"

namespace drawlume {

// A run loop that runs only when the test says so, on virtual time.
class ManualRunLoop final : public RunLoop {
public:
    void post(Task task) override { postAfter(0, std::move(task)); }
    void postAfter(double seconds, Task task) override;
    WatchId watchReadable(int fd, Task onReadable) override;
    void unwatch(WatchId id) override;

    // Runs every task that is due, and those they post for now, until none is left.
    size_t runUntilIdle();
    // Moves virtual time forward, running due tasks in time order on the way.
    void advance(double seconds);
    double now() const;

    // Calls the watchers of fd as if it had become readable; false if there are none.
    bool signalReadable(int fd);
    size_t watchCount() const;
    size_t pendingCount() const;

private:
    struct Watch {
        int fd;
        Task onReadable;
    };
    // Due time and sequence number: equal times run in posting order.
    using Key = std::pair<double, uint64_t>;

    bool runNextDueBy(double time);

    mutable std::mutex mutex_;
    double now_ = 0;
    uint64_t sequence_ = 0;
    std::map<Key, Task> tasks_;
    std::map<WatchId, Watch> watches_;
    WatchId nextWatch_ = 1;
};

}  // namespace drawlume
