#include "logging/DDAbstractLogger.hpp"

#include <utility>

namespace drawlume {

namespace {

thread_local bool tOnLoggerQueue = false;

// Marks the running thread as a logger's worker while a logger task runs.
class LoggerThreadScope {
public:
    LoggerThreadScope() : previous_(tOnLoggerQueue) { tOnLoggerQueue = true; }
    ~LoggerThreadScope() { tOnLoggerQueue = previous_; }
    LoggerThreadScope(const LoggerThreadScope&) = delete;
    LoggerThreadScope& operator=(const LoggerThreadScope&) = delete;

private:
    bool previous_;
};

}  // namespace

DDAbstractLogger::DDAbstractLogger(std::string queueLabel) : queue_(std::move(queueLabel)) {}

DDAbstractLogger::~DDAbstractLogger() = default;

bool DDAbstractLogger::isLoggerThread() {
    return tOnLoggerQueue;
}

void DDAbstractLogger::enqueue(std::span<const DDLogMessagePtr> messages) {
    bool schedule = false;
    {
        std::lock_guard lock(inboxMutex_);
        inbox_.insert(inbox_.end(), messages.begin(), messages.end());
        schedule = !drainScheduled_;
        drainScheduled_ = true;
    }
    if (schedule) {
        queue_.async([this] {
            LoggerThreadScope scope;
            drainInbox();
        });
    }
}

void DDAbstractLogger::logNow(const DDLogMessagePtr& message) {
    queue_.sync([this, &message] {
        LoggerThreadScope scope;
        drainInbox();
        logMessages(std::span<const DDLogMessagePtr>(&message, 1));
    });
}

void DDAbstractLogger::flush() {
    queue_.sync([this] {
        LoggerThreadScope scope;
        drainInbox();
        flushToStorage();
    });
}

void DDAbstractLogger::finishPendingWork() {
    flush();
}

void DDAbstractLogger::logMessages(std::span<const DDLogMessagePtr> messages) {
    for (const DDLogMessagePtr& message : messages) {
        logMessage(*message);
    }
}

void DDAbstractLogger::drainInbox() {
    {
        std::lock_guard lock(inboxMutex_);
        batch_.swap(inbox_);
        drainScheduled_ = false;
    }
    if (!batch_.empty()) {
        logMessages(batch_);
        // Clearing keeps the capacity, which the next swap hands back to the inbox.
        batch_.clear();
    }
}

}  // namespace drawlume
