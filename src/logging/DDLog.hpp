#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "logging/DDAbstractLogger.hpp"
#include "logging/DDLogFlag.hpp"
#include "logging/DDLogMessage.hpp"
#include "util/SerialQueue.hpp"

namespace drawlume {

// The logging core: takes every message in call order on one serial queue and
// passes it to each registered logger whose level admits its flag.
class DDLog {
public:
    DDLog();
    // Writes out everything still queued.
    ~DDLog();

    DDLog(const DDLog&) = delete;
    DDLog& operator=(const DDLog&) = delete;

    // The process's one core; it lives until the process ends and flushes at exit.
    static DDLog& sharedInstance();

    void addLogger(std::shared_ptr<DDAbstractLogger> logger, uint32_t level = DDLogLevelAll);
    // Flushes and drops every logger.
    void removeAllLoggers();

    // Asynchronous delivery returns at once; synchronous delivery returns after
    // every logger has written the message. A synchronous message logged from
    // the core's own queue is delivered inline; one logged by a logger's own
    // worker cannot wait for that worker and is delivered asynchronously.
    void log(bool asynchronous, DDLogMessage message);
    // Returns when every logger has written everything queued before the call.
    void flushLog();

    // What the log macros call once the level has admitted the flag: error
    // lines are delivered synchronously, every other line asynchronously.
    static void logAt(uint32_t flag, std::string_view file, std::string_view function,
                      unsigned line, std::string text);

private:
    struct Registration {
        std::shared_ptr<DDAbstractLogger> logger;
        uint32_t level;
    };

    void drainInbox();
    void deliverNow(const DDLogMessagePtr& message);
    void flushLoggers();

    SerialQueue queue_;
    std::mutex inboxMutex_;
    std::vector<DDLogMessagePtr> inbox_;
    bool drainScheduled_ = false;
    // Touched only on queue_.
    std::vector<DDLogMessagePtr> batch_;
    std::vector<DDLogMessagePtr> admitted_;
    std::vector<Registration> loggers_;
};

}  // namespace drawlume
