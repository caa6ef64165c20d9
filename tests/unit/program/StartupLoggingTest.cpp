#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "LogCapture.hpp"
#include "logging/DDLog.hpp"
#include "logging/FileLoggerFixture.hpp"
#include "logging/LogMacros.hpp"
#include "program/StartupLogging.hpp"

namespace drawlume {
namespace {

constexpr const char* kLogFile = "Drawlume___Bluetooth_Agent/StartupLoggingTest";

class StartupLoggingTest : public testing::FileLoggerFixture {
protected:
    void TearDown() override {
        DDLog::sharedInstance().removeAllLoggers();
        setDDLogLevel(DDLogLevelAll);
        FileLoggerFixture::TearDown();
    }
};

TEST_F(StartupLoggingTest, LaunchLinesReachTheLogFileAtLevelSeven) {
    auto fileLogger = setupLogging(makeManager());
    EXPECT_EQ(ddLogLevel(), 7u);
    EXPECT_EQ(fileLogger->maximumFileSize(), 5242880u);
    EXPECT_EQ(fileLogger->rollingFrequency(), 0.0);
    EXPECT_EQ(fileLogger->logFileManager().maximumNumberOfLogFiles(), 3u);

    SystemInformation information;
    information.appVersion = "1.2.3";
    information.appBuild = "45";
    information.osVersion = "6.1.0";
    information.architecture = "x86_64";
    information.uptimeSeconds = 2 * 3600 + 59 * 60 + 59;
    logSystemInformation(information);
    DDLogDebug("f()", "dropped");
    DDLog::sharedInstance().flushLog();

    ASSERT_EQ(logFiles().size(), 1u);
    const std::string text = content(logFiles()[0]);
    const std::vector<std::string> expected = {
        "Log files directory: " + logDir_.str(),
        "========== System Information ==========",
        "App Version: 1.2.3 (Build 45)",
        "OS Version: 6.1.0",
        "Architecture: x86_64",
        "System Uptime: 2h 59m",
        "========================================",
    };
    std::string lines;
    for (const std::string& line : expected) {
        lines += "  " + line + "\n";
    }
    std::string stripped;
    for (size_t at = 0; at < text.size();) {
        const size_t end = text.find('\n', at);
        stripped += text.substr(at + 23, end + 1 - at - 23);
        at = end + 1;
    }
    EXPECT_EQ(stripped, lines);
}

}  // namespace
}  // namespace drawlume
