#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "logging/DDAbstractLogger.hpp"

namespace drawlume::testing {

// Keeps every message it is given. A closed gate holds the logger's worker
// back, so tests can tell a call that waits for the logger from one that does not.
class RecordingLogger final : public DDAbstractLogger {
public:
    RecordingLogger() : DDAbstractLogger("test.recording") {}
    ~RecordingLogger() override {
        openGate();
        finishPendingWork();
    }

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
    size_t count() {
        std::lock_guard lock(mutex_);
        return messages_.size();
    }
    void closeGate() {
        std::lock_guard lock(mutex_);
        gateOpen_ = false;
    }
    void openGate() {
        {
            std::lock_guard lock(mutex_);
            gateOpen_ = true;
        }
        gateChanged_.notify_all();
    }

protected:
    void logMessage(const DDLogMessage& message) override {
        std::unique_lock lock(mutex_);
        gateChanged_.wait(lock, [this] { return gateOpen_; });
        messages_.push_back(message);
    }

private:
    std::mutex mutex_;
    std::condition_variable gateChanged_;
    bool gateOpen_ = true;
    std::vector<DDLogMessage> messages_;
};

}  // namespace drawlume::testing
