#include "logging/DDLog.hpp"

#include <cstdlib>
#include <utility>

namespace drawlume {

DDLog::DDLog() : queue_("ddlog") {}

DDLog::~DDLog() {
    removeAllLoggers();
}

DDLog& DDLog::sharedInstance() {
    // Never destroyed: loggers may still be called from other threads and
    // from exit handlers while static objects are torn down.
    static DDLog* const instance = [] {
        auto* core = new DDLog();
        std::atexit([] { DDLog::sharedInstance().flushLog(); });
        return core;
    }();
    return *instance;
}

void DDLog::addLogger(std::shared_ptr<DDAbstractLogger> logger, uint32_t level) {
    if (!logger) {
        return;
    }
    queue_.sync([&] {
        drainInbox();
        loggers_.push_back(Registration{std::move(logger), level});
    });
}

void DDLog::removeAllLoggers() {
    queue_.sync([&] {
        drainInbox();
        flushLoggers();
        loggers_.clear();
    });
}

void DDLog::log(bool asynchronous, DDLogMessage message) {
    auto record = std::make_shared<const DDLogMessage>(std::move(message));
    if (!asynchronous) {
        if (queue_.isCurrent()) {
            drainInbox();
            deliverNow(record);
            return;
        }
        if (!DDAbstractLogger::isLoggerThread()) {
            queue_.sync([&] {
                drainInbox();
                deliverNow(record);
            });
            return;
        }
    }
    bool schedule = false;
    {
        std::lock_guard lock(inboxMutex_);
        inbox_.push_back(std::move(record));
        schedule = !drainScheduled_;
        drainScheduled_ = true;
    }
    // One drain task carries every message that arrives before it runs, so a
    // burst of lines costs one queue hop, not one per line.
    if (schedule) {
        queue_.async([this] { drainInbox(); });
    }
}

void DDLog::flushLog() {
    if (queue_.isCurrent()) {
        drainInbox();
        flushLoggers();
        return;
    }
    queue_.sync([this] {
        drainInbox();
        flushLoggers();
    });
}

void DDLog::logAt(uint32_t flag, std::string_view file, std::string_view function, unsigned line,
                  std::string text) {
    sharedInstance().log(flag != DDLogFlagError, DDLogMessage::make(std::move(text), DDLogLevelAll,
                                                                    flag, file, function, line));
}

void DDLog::drainInbox() {
    {
        std::lock_guard lock(inboxMutex_);
        batch_.swap(inbox_);
        drainScheduled_ = false;
    }
    if (batch_.empty()) {
        return;
    }
    for (const Registration& registration : loggers_) {
        admitted_.clear();
        for (const DDLogMessagePtr& message : batch_) {
            if ((message->flag & registration.level) != 0) {
                admitted_.push_back(message);
            }
        }
        if (!admitted_.empty()) {
            registration.logger->enqueue(admitted_);
        }
    }
    admitted_.clear();
    batch_.clear();
}

void DDLog::deliverNow(const DDLogMessagePtr& message) {
    for (const Registration& registration : loggers_) {
        if ((message->flag & registration.level) != 0) {
            registration.logger->logNow(message);
        }
    }
}

void DDLog::flushLoggers() {
    for (const Registration& registration : loggers_) {
        registration.logger->flush();
    }
}

}  // namespace drawlume
