#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace drawlume {

// One worker thread running tasks in the order they were queued. The logging
// core, each logger and the debug log collector each own one, so a slow
// consumer never blocks the thread that hands work to it.
class SerialQueue {
public:
    using Task = std::function<void()>;

    explicit SerialQueue(std::string label);
    // Runs everything still queued, then stops the worker.
    ~SerialQueue();

    SerialQueue(const SerialQueue&) = delete;
    SerialQueue& operator=(const SerialQueue&) = delete;

    void async(Task task);
    // Returns after the task has run. Called from this queue's own worker the
    // task runs inline: waiting for ourselves would never end.
    void sync(const Task& task);
    // Returns when every task queued before the call has run.
    void flush();

    bool isCurrent() const { return current() == this; }
    const std::string& label() const { return label_; }
    // The queue whose worker runs the calling thread, or null.
    static const SerialQueue* current();

private:
    void run();

    const std::string label_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::vector<Task> pending_;
    bool workerWaiting_ = false;
    bool stopping_ = false;
    std::thread worker_;
};

}  // namespace drawlume
