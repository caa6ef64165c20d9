#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "logging/DDAbstractLogger.hpp"

namespace drawlume::testing {

// Keeps every message it is given.
class RecordingLogger final : public DDAbstractLogger {
public:
    RecordingLogger() : DDAbstractLogger("test.recording") {}
    ~RecordingLogger() override { finishPendingWork(); }

    std::vector<DDLogMessage> messages() {
        std::lock_guard lock(mutex_);
        return messages_;
    }
    std::vector<std::string> texts() {
        std::lock_guard lock(mutex_);
        std::vector<std::string> texts;
        for (const DDLogMessage& message : messages_) {
            texts.push_back(message.message);
        }
        return texts;
    }

protected:
    void logMessage(const DDLogMessage& message) override {
        std::lock_guard lock(mutex_);
        messages_.push_back(message);
    }

private:
    std::mutex mutex_;
    std::vector<DDLogMessage> messages_;
};

}  // namespace drawlume::testing
