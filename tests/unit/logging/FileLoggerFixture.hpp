#pragma once

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/xattr.h>

#include "TempDirectory.hpp"
#include "logging/DDFileLogger.hpp"
#include "logging/DDLogFileManagerDefault.hpp"
#include "logging/StderrReporter.hpp"

namespace drawlume::testing {

inline std::chrono::system_clock::time_point utc(int year, unsigned month, unsigned day, int hour,
                                                 int minute, int second, int millis) {
    using namespace std::chrono;
    return sys_days{std::chrono::year{year} / month / day} + hours{hour} + minutes{minute} +
           seconds{second} + milliseconds{millis};
}

// A log directory of its own, a clock the test sets, and the stderr reports collected.
class FileLoggerFixture : public ::testing::Test {
protected:
    static constexpr const char* kApp = "drawlume-agent";

    void SetUp() override {
        StderrReporter::shared().setOutput([this](const std::string& line) {
            std::lock_guard lock(reportsMutex_);
            reports_.push_back(line);
        });
    }
    void TearDown() override { StderrReporter::shared().setOutput({}); }

    std::shared_ptr<DDLogFileManagerDefault> makeManager(
        std::shared_ptr<LogFileSystem> fileSystem = posixLogFileSystem()) {
        return std::make_shared<DDLogFileManagerDefault>(logDir_.str(), kApp, fileSystem,
                                                         [this] { return now_; });
    }

    std::shared_ptr<DDFileLogger> makeLogger(std::shared_ptr<DDLogFileManagerDefault> manager,
                                             uint64_t maximumFileSize = 5242880) {
        auto logger = std::make_shared<DDFileLogger>(std::move(manager));
        logger->setRollingFrequency(0);
        logger->setMaximumFileSize(maximumFileSize);
        return logger;
    }

    // Hands the lines over as one batch, as a burst from the core arrives.
    void write(DDFileLogger& logger, const std::vector<std::string>& texts) {
        std::vector<DDLogMessagePtr> batch;
        for (const std::string& text : texts) {
            auto message = std::make_shared<DDLogMessage>();
            message->message = text;
            message->flag = 4;
            message->timestamp = now_;
            batch.push_back(std::move(message));
        }
        logger.enqueue(batch);
        logger.flush();
    }

    // Member files of the log directory, oldest first by name.
    std::vector<std::string> logFiles() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(logDir_.path())) {
            const std::string name = entry.path().filename().string();
            if (name.rfind(std::string(kApp) + " ", 0) == 0 && name.ends_with(".log")) {
                names.push_back(name);
            }
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string content(const std::string& name) const { return readFile(logDir_.path() / name); }

    static bool hasArchivedAttribute(const std::filesystem::path& path) {
        return ::getxattr(path.c_str(), DDLogFileManagerDefault::kArchivedAttribute, nullptr, 0) >=
               0;
    }

    std::vector<std::string> reports() {
        std::lock_guard lock(reportsMutex_);
        return reports_;
    }

    TempDirectory logDir_;
    std::chrono::system_clock::time_point now_ = utc(2026, 12, 6, 1, 2, 3, 456);

private:
    std::mutex reportsMutex_;
    std::vector<std::string> reports_;
};

}  // namespace drawlume::testing
