#include "util/SerialQueue.hpp"

#include <cstdio>
#include <exception>
#include <utility>

namespace drawlume {

namespace {
thread_local const SerialQueue* tCurrentQueue = nullptr;
}

SerialQueue::SerialQueue(std::string label) : label_(std::move(label)) {
    worker_ = std::thread([this] { run(); });
}

SerialQueue::~SerialQueue() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    if (worker_.joinable()) {
        worker_.join();
    }
}

const SerialQueue* SerialQueue::current() {
    return tCurrentQueue;
}

void SerialQueue::async(Task task) {
    bool mustWake = false;
    {
        std::lock_guard lock(mutex_);
        pending_.push_back(std::move(task));
        mustWake = workerWaiting_;
        workerWaiting_ = false;
    }
    // Waking only a sleeping worker keeps a busy queue free of futex calls.
    if (mustWake) {
        wake_.notify_one();
    }
}

void SerialQueue::sync(const Task& task) {
    if (isCurrent()) {
        task();
        return;
    }
    std::mutex doneMutex;
    std::condition_variable doneSignal;
    bool done = false;
    async([&] {
        task();
        std::lock_guard lock(doneMutex);
        done = true;
        doneSignal.notify_one();
    });
    std::unique_lock lock(doneMutex);
    doneSignal.wait(lock, [&] { return done; });
}

void SerialQueue::flush() {
    sync([] {});
}

void SerialQueue::run() {
    tCurrentQueue = this;
    std::vector<Task> batch;
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            while (pending_.empty() && !stopping_) {
                workerWaiting_ = true;
                wake_.wait(lock);
            }
            if (pending_.empty()) {
                return;
            }
            batch.swap(pending_);
        }
        for (Task& task : batch) {
            try {
                task();
            } catch (const std::exception& error) {
                // A task that throws must not take the worker, and every later
                // task, with it.
                std::fprintf(stderr, "SerialQueue %s: task failed: %s\n", label_.c_str(),
                             error.what());
            } catch (...) {
                std::fprintf(stderr, "SerialQueue %s: task failed\n", label_.c_str());
            }
        }
        batch.clear();
    }
}

}  // namespace drawlume
