#pragma once

#include <memory>
#include <string>
#include <vector>

#include "logging/DDLog.hpp"
#include "logging/RecordingLogger.hpp"

namespace drawlume::testing {

// Records every log line at every level while it lives; lines() waits for
// the logging queues first.
class LogCapture {
public:
    LogCapture() : previousLevel_(ddLogLevel()) {
        setDDLogLevel(DDLogLevelAll);
        DDLog::sharedInstance().addLogger(logger_);
    }
    ~LogCapture() {
        DDLog::sharedInstance().removeAllLoggers();
        setDDLogLevel(previousLevel_);
    }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::vector<DDLogMessage> messages() {
        DDLog::sharedInstance().flushLog();
        return logger_->messages();
    }
    std::vector<std::string> lines() {
        DDLog::sharedInstance().flushLog();
        return logger_->texts();
    }

private:
    uint32_t previousLevel_;
    std::shared_ptr<RecordingLogger> logger_ = std::make_shared<RecordingLogger>();
};

}  // namespace drawlume::testing
