#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "logging/DDAbstractLogger.hpp"
#include "logging/DDLogFileManagerDefault.hpp"
#include "logging/UtcTimestamp.hpp"

namespace drawlume {

// Appends each line ("yyyy/MM/dd HH:mm:ss:SSS  text") to the current file of
// the log set and rolls to a new file when the current one is full. All file
// work happens on the logger's queue. Its own troubles go to stderr; a line
// that cannot be written is lost alone and logging goes on.
class DDFileLogger final : public DDAbstractLogger {
public:
    static constexpr uint64_t kDefaultMaximumFileSize = 1024 * 1024;
    static constexpr double kDefaultRollingFrequency = 60 * 60 * 24;

    DDFileLogger();
    explicit DDFileLogger(std::shared_ptr<DDLogFileManagerDefault> logFileManager);
    ~DDFileLogger() override;

    // Seconds after which a file is rolled whatever its size; 0 turns it off.
    void setRollingFrequency(double seconds) { rollingFrequency_ = seconds; }
    double rollingFrequency() const { return rollingFrequency_; }
    // Bytes at which a file is rolled; 0 turns it off.
    void setMaximumFileSize(uint64_t bytes) { maximumFileSize_ = bytes; }
    uint64_t maximumFileSize() const { return maximumFileSize_; }

    DDLogFileManagerDefault& logFileManager() { return *logFileManager_; }

    // The file being written, or empty; waits for the queue.
    std::string currentLogFilePath();

protected:
    void logMessages(std::span<const DDLogMessagePtr> messages) override;
    void logMessage(const DDLogMessage& message) override;
    void flushToStorage() override;

private:
    bool ensureFile();
    bool reuseNewestFile();
    bool openFile(const std::string& path, int fd);
    void appendLine(const DDLogMessage& message);
    void writePending();
    void writeLineByLine();
    void lockFile();
    void roll();
    void closeFile();
    bool currentFileVanished();

    std::shared_ptr<DDLogFileManagerDefault> logFileManager_;
    std::atomic<double> rollingFrequency_{kDefaultRollingFrequency};
    std::atomic<uint64_t> maximumFileSize_{kDefaultMaximumFileSize};

    // Touched only on the logger's queue.
    bool launchFileChosen_ = false;
    int fd_ = -1;
    std::string path_;
    uint64_t offset_ = 0;
    std::chrono::system_clock::time_point openedAt_;
    UtcTimestamp stamp_;
    std::string pending_;
    std::vector<size_t> lineEnds_;
};

}  // namespace drawlume
