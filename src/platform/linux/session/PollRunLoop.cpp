#include "platform/linux/session/PollRunLoop.hpp"

#include <cerrno>
#include <cstdlib>
#include <limits>

#include <sys/eventfd.h>
#include <unistd.h>

namespace drawlume {

PollRunLoop::PollRunLoop() : wakeFd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
    if (wakeFd_ < 0) {
        // Without it no other thread could reach the loop: nothing can work.
        std::abort();
    }
}

PollRunLoop::~PollRunLoop() {
    ::close(wakeFd_);
}

void PollRunLoop::post(Task task) {
    addTask(Clock::now(), std::move(task));
}

void PollRunLoop::postAfter(double seconds, Task task) {
    const auto delay = std::chrono::duration<double>(seconds > 0 ? seconds : 0);
    addTask(Clock::now() + std::chrono::duration_cast<Clock::duration>(delay), std::move(task));
}

void PollRunLoop::addTask(Clock::time_point due, Task task) {
    {
        std::lock_guard lock(mutex_);
        tasks_.emplace(Key{due, sequence_++}, std::move(task));
    }
    wake();
}

RunLoop::WatchId PollRunLoop::watchReadable(int fd, Task onReadable) {
    std::lock_guard lock(mutex_);
    const WatchId id = nextWatch_++;
    watches_.emplace(id, Watch{fd, std::make_shared<const Task>(std::move(onReadable))});
    return id;
}

void PollRunLoop::unwatch(WatchId id) {
    std::lock_guard lock(mutex_);
    watches_.erase(id);
}

void PollRunLoop::stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake();
}

void PollRunLoop::wake() {
    const uint64_t one = 1;
    // A full counter already means "wake up": the failure needs no handling.
    [[maybe_unused]] const ssize_t written = ::write(wakeFd_, &one, sizeof one);
}

void PollRunLoop::runDueTasks() {
    uint64_t lastOfTurn = 0;
    {
        std::lock_guard lock(mutex_);
        lastOfTurn = sequence_;
    }
    const Clock::time_point now = Clock::now();
    for (;;) {
        Task task;
        {
            std::lock_guard lock(mutex_);
            if (stopping_) {
                return;
            }
            auto due = tasks_.begin();
            while (due != tasks_.end() && due->first.first <= now &&
                   due->first.second >= lastOfTurn) {
                ++due;  // queued during this turn: next turn, after the descriptors
            }
            if (due == tasks_.end() || due->first.first > now) {
                return;
            }
            task = std::move(due->second);
            tasks_.erase(due);
        }
        task();
    }
}

int PollRunLoop::pollTimeoutMilliseconds() {
    std::lock_guard lock(mutex_);
    if (tasks_.empty()) {
        return -1;
    }
    const auto wait = tasks_.begin()->first.first - Clock::now();
    if (wait <= Clock::duration::zero()) {
        return 0;
    }
    // Rounded up, so that a timer is never served a little early and polled again.
    const auto milliseconds = std::chrono::ceil<std::chrono::milliseconds>(wait).count();
    return static_cast<int>(std::min<int64_t>(milliseconds, std::numeric_limits<int>::max()));
}

void PollRunLoop::run() {
    for (;;) {
        runDueTasks();
        pollFds_.clear();
        pollIds_.clear();
        pollFds_.push_back({wakeFd_, POLLIN, 0});
        pollIds_.push_back(0);
        {
            std::lock_guard lock(mutex_);
            if (stopping_) {
                stopping_ = false;
                return;
            }
            for (const auto& [id, watch] : watches_) {
                pollFds_.push_back({watch.fd, POLLIN, 0});
                pollIds_.push_back(id);
            }
        }
        const int ready = ::poll(pollFds_.data(), pollFds_.size(), pollTimeoutMilliseconds());
        if (ready <= 0) {
            continue;  // timeout, or a signal: look again
        }
        if (pollFds_[0].revents != 0) {
            uint64_t count = 0;
            [[maybe_unused]] const ssize_t read = ::read(wakeFd_, &count, sizeof count);
        }
        for (size_t i = 1; i < pollFds_.size(); ++i) {
            if (pollFds_[i].revents == 0) {
                continue;
            }
            std::shared_ptr<const Task> callback;
            {
                std::lock_guard lock(mutex_);
                const auto found = watches_.find(pollIds_[i]);
                if (found == watches_.end()) {
                    continue;  // unwatched by an earlier callback of this turn
                }
                if ((pollFds_[i].revents & POLLNVAL) != 0) {
                    // Closed without unwatching: polling it again would spin.
                    watches_.erase(found);
                    continue;
                }
                callback = found->second.onReadable;
            }
            (*callback)();
        }
    }
}

}  // namespace drawlume
