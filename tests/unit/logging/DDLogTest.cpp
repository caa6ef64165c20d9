#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "LogCapture.hpp"
#include "logging/DDLog.hpp"
#include "logging/LogMacros.hpp"
#include "logging/RecordingLogger.hpp"

namespace drawlume {
namespace {

constexpr const char* kLogFile = "Drawlume___Bluetooth_Agent/DDLogTest";

using testing::RecordingLogger;

std::string countedText(int& built, const char* text) {
    ++built;
    return text;
}

// The macros log through the process's shared core; the capture takes the
// level and the loggers back when it goes.
TEST(DDLogTest, DroppedFlagBuildsNoTextAndAdmittedLineReachesEveryLogger) {
    testing::LogCapture first;
    setDDLogLevel(DDLogLevelInfo);
    auto second = std::make_shared<RecordingLogger>();
    DDLog::sharedInstance().addLogger(second);

    int built = 0;
    DDLogDebug("dropped()", countedText(built, "debug line"));
    DDLogVerbose("dropped()", countedText(built, "verbose line"));
    EXPECT_EQ(built, 0);

    const unsigned line = __LINE__ + 1;
    DDLogInfo("start()", countedText(built, "info line"));
    EXPECT_EQ(built, 1);
    for (const std::vector<DDLogMessage>& messages : {first.messages(), second->messages()}) {
        ASSERT_EQ(messages.size(), 1u);
        const DDLogMessage& message = messages[0];
        EXPECT_EQ(message.message, "info line");
        EXPECT_EQ(message.flag, DDLogFlagInfo);
        EXPECT_EQ(message.fileName, "DDLogTest");
        EXPECT_EQ(message.function, "start()");
        EXPECT_EQ(message.line, line);
        EXPECT_EQ(message.queueLabel, "main-thread");
    }
}

TEST(DDLogTest, LinesFromEachThreadArriveInCallOrder) {
    DDLog core;
    auto logger = std::make_shared<RecordingLogger>();
    core.addLogger(logger);
    constexpr int kThreads = 3;
    constexpr int kLines = 3000;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&core, t] {
            for (int i = 0; i < kLines; ++i) {
                // Every tenth line is an error, delivered synchronously among the others.
                const uint32_t flag = i % 10 == 0 ? DDLogFlagError : DDLogFlagInfo;
                core.log(flag != DDLogFlagError,
                         DDLogMessage::make(std::to_string(t) + ":" + std::to_string(i),
                                            DDLogLevelAll, flag, "x/Test", "f()", 1));
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    core.flushLog();
    std::vector<int> next(kThreads, 0);
    for (const std::string& text : logger->texts()) {
        const int t = std::stoi(text.substr(0, text.find(':')));
        const int i = std::stoi(text.substr(text.find(':') + 1));
        ASSERT_EQ(i, next[t]) << text;
        ++next[t];
    }
    EXPECT_EQ(next, std::vector<int>(kThreads, kLines));
}

// A logger that reports its own trouble through the core while it writes.
class SelfReportingLogger final : public DDAbstractLogger {
public:
    explicit SelfReportingLogger(DDLog& core) : DDAbstractLogger("test.self"), core_(core) {}
    ~SelfReportingLogger() override { finishPendingWork(); }
    std::atomic<int> written{0};

protected:
    void logMessage(const DDLogMessage& message) override {
        ++written;
        if (message.message == "trigger") {
            core_.log(false, DDLogMessage::make("nested error", DDLogLevelAll, DDLogFlagError,
                                                "x/T", "f()", 1));
        }
    }

private:
    DDLog& core_;
};

TEST(DDLogTest, ErrorLoggedFromALoggersOwnWorkerDoesNotDeadlock) {
    DDLog core;
    auto logger = std::make_shared<SelfReportingLogger>(core);
    core.addLogger(logger);
    auto done = std::async(std::launch::async, [&] {
        core.log(false,
                 DDLogMessage::make("trigger", DDLogLevelAll, DDLogFlagError, "x/T", "f()", 1));
        core.flushLog();
    });
    ASSERT_EQ(done.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    core.flushLog();
    EXPECT_EQ(logger->written.load(), 2);
}

}  // namespace
}  // namespace drawlume
