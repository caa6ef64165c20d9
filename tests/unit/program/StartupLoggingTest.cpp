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
    // Each line after its time stamp (23 characters) and the two blanks.
    std::vector<std::string> lines;
    for (size_t at = 0; at < text.size(); at = text.find('\n', at) + 1) {
        lines.push_back(text.substr(at + 25, text.find('\n', at) - at - 25));
    }
    EXPECT_EQ(lines, expected);
}

}  // namespace
}  // namespace drawlume
