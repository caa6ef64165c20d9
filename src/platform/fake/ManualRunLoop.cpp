#include "platform/fake/ManualRunLoop.hpp"

#include <vector>

namespace drawlume {

void ManualRunLoop::postAfter(double seconds, Task task) {
    std::lock_guard lock(mutex_);
    tasks_.emplace(Key{now_ + (seconds > 0 ? seconds : 0), sequence_++}, std::move(task));
}

RunLoop::WatchId ManualRunLoop::watchReadable(int fd, Task onReadable) {
    std::lock_guard lock(mutex_);
    const WatchId id = nextWatch_++;
    watches_.emplace(id, Watch{fd, std::move(onReadable)});
    return id;
}

void ManualRunLoop::unwatch(WatchId id) {
    std::lock_guard lock(mutex_);
    watches_.erase(id);
}

bool ManualRunLoop::runNextDueBy(double time) {
    Task task;
    {
        std::lock_guard lock(mutex_);
        if (tasks_.empty() || tasks_.begin()->first.first > time) {
            return false;
        }
        auto first = tasks_.begin();
        if (first->first.first > now_) {
            now_ = first->first.first;
        }
        task = std::move(first->second);
        tasks_.erase(first);
    }
    task();
    return true;
}

size_t ManualRunLoop::runUntilIdle() {
    size_t ran = 0;
    while (runNextDueBy(now())) {
        ++ran;
    }
    return ran;
}

void ManualRunLoop::advance(double seconds) {
    const double target = now() + seconds;
    while (runNextDueBy(target)) {
    }
    std::lock_guard lock(mutex_);
    now_ = target;
}

double ManualRunLoop::now() const {
    std::lock_guard lock(mutex_);
    return now_;
}

bool ManualRunLoop::signalReadable(int fd) {
    std::vector<WatchId> matching;
    {
        std::lock_guard lock(mutex_);
        for (const auto& [id, watch] : watches_) {
            if (watch.fd == fd) {
                matching.push_back(id);
            }
        }
    }
    for (const WatchId id : matching) {
        Task callback;
        {
            std::lock_guard lock(mutex_);
            const auto found = watches_.find(id);
            if (found == watches_.end()) {
                continue;  // unwatched by an earlier callback
            }
            callback = found->second.onReadable;
        }
        callback();
    }
    return !matching.empty();
}

size_t ManualRunLoop::watchCount() const {
    std::lock_guard lock(mutex_);
    return watches_.size();
}

size_t ManualRunLoop::pendingCount() const {
    std::lock_guard lock(mutex_);
    return tasks_.size();
}

}  // namespace drawlume
