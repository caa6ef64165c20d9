#include "platform/linux/session/PollRunLoop.hpp"

#include <cerrno>
#include <cstdlib>
#include <limits>

#include <fcntl.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace drawlume {

struct PollRunLoop::Reader {
    // A descriptor of its own: the watcher may close its descriptor, and the
    // number be taken again, while this one still waits in a read.
    int fd = -1;
    std::vector<uint8_t> buffer;
    ReadHandler onRead;
    std::shared_ptr<CoreLock> core;
    // Set under the core lock once unwatched: the thread hands nothing more
    // over and ends at its next wake-up (a report, or the device gone).
    bool cancelled = false;
};

void* PollRunLoop::readUntilCancelled(void* argument) {
    const std::unique_ptr<std::shared_ptr<Reader>> owned(
        static_cast<std::shared_ptr<Reader>*>(argument));
    Reader& reader = **owned;
    for (bool more = true; more;) {
        ssize_t length = 0;
        do {
            // The plain system call: read(2) in a process with threads also
            // marks and unmarks a cancellation point, two calls more a
            // report, and a reader ends through its flag, never cancelled.
            length = ::syscall(SYS_read, reader.fd, reader.buffer.data(), reader.buffer.size());
        } while (length < 0 && errno == EINTR);
        const int error = length < 0 ? errno : 0;
        const std::lock_guard lock(*reader.core);
        if (reader.cancelled) {
            break;
        }
        if (length <= 0) {
            // An end or an error: the watcher gives the descriptor up.
            reader.onRead({}, error);
            break;
        }
        reader.onRead({reader.buffer.data(), static_cast<size_t>(length)}, 0);
        more = !reader.cancelled;
    }
    ::close(reader.fd);
    return nullptr;
}

PollRunLoop::PollRunLoop(Reads reads) : wakeFd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
    if (wakeFd_ < 0) {
        // Without it no other thread could reach the loop: nothing can work.
        std::abort();
    }
    if (reads == Reads::onThreads) {
        core_ = std::make_shared<CoreLock>();
        core_->lock();
    }
}

PollRunLoop::~PollRunLoop() {
    if (core_) {
        // Readers still waiting end at their next wake-up, handing nothing over.
        for (const auto& [id, reader] : readers_) {
            reader->cancelled = true;
        }
        core_->unlock();
    }
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

RunLoop::WatchId PollRunLoop::watchReads(int fd, size_t slotSize, size_t slotCount,
                                         ReadHandler onRead) {
    const int own = core_ && slotSize > 0 ? ::fcntl(fd, F_DUPFD_CLOEXEC, 0) : -1;
    if (own < 0) {
        return RunLoop::watchReads(fd, slotSize, slotCount, std::move(onRead));
    }
    // The reader waits in its read; the flag is the open file's, which only
    // the reader reads from now on.
    const int flags = ::fcntl(own, F_GETFL);
    ::fcntl(own, F_SETFL, flags & ~O_NONBLOCK);
    auto reader = std::make_shared<Reader>();
    reader->fd = own;
    // One slot a read: a blocking read of a descriptor that hands over one
    // record a read (hidraw) would wait in the second slot for the next
    // report. Reports that queued meanwhile are read at once, without a wait.
    reader->buffer.resize(slotSize);
    reader->onRead = std::move(onRead);
    reader->core = core_;
    pthread_t thread{};
    auto argument = std::make_unique<std::shared_ptr<Reader>>(reader);
    if (pthread_create(&thread, nullptr, readUntilCancelled, argument.get()) != 0) {
        // The open file is the watcher's again, and read on this loop: without waiting.
        ::fcntl(own, F_SETFL, flags);
        ::close(own);
        return RunLoop::watchReads(fd, slotSize, slotCount, std::move(reader->onRead));
    }
    static_cast<void>(argument.release());  // the thread owns it now
    pthread_setname_np(thread, "report reader");
    pthread_detach(thread);
    std::lock_guard lock(mutex_);
    const WatchId id = nextWatch_++;
    readers_.emplace(id, std::move(reader));
    return id;
}

void PollRunLoop::unwatch(WatchId id) {
    std::lock_guard lock(mutex_);
    if (const auto reader = readers_.find(id); reader != readers_.end()) {
        reader->second->cancelled = true;  // the caller holds the core lock
        readers_.erase(reader);
        return;
    }
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
        const int timeout = pollTimeoutMilliseconds();
        if (core_) {
            core_->unlock();  // readers may hand over while the loop waits
        }
        const int ready = ::poll(pollFds_.data(), pollFds_.size(), timeout);
        if (core_) {
            core_->lock();
        }
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
