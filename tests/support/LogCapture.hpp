#pragma once

#include <memory>
#include <string>
#include <vector>

#include "logging/DDLog.hpp"
#include "logging/RecordingLogger.hpp"

namespace drawlume::testing {

// Records every log line at every level while it lives; lines() waits for
// the logging queues first, newLines() gives only those since its last call.
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
    std::vector<std::string> newLines() {
        std::vector<std::string> all = lines();
        std::vector<std::string> fresh(all.begin() + static_cast<std::ptrdiff_t>(seen_), all.end());
        seen_ = all.size();
        return fresh;
    }

private:
    uint32_t previousLevel_;
    size_t seen_ = 0;
    std::shared_ptr<RecordingLogger> logger_ = std::make_shared<RecordingLogger>();
};

}  // namespace drawlume::testing
