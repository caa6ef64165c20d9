#include "program/StartupLogging.hpp"

#include <string>

#include "logging/DDOSLogger.hpp"
#include "logging/DDStderrLogger.hpp"
#include "logging/LogMacros.hpp"

namespace drawlume {

namespace {
constexpr const char* kLogFile = "Drawlume___Bluetooth_Agent/AppDelegate";
constexpr uint64_t kMaximumFileSize = 5242880;
constexpr uint64_t kMaximumNumberOfLogFiles = 3;
}  // namespace

std::shared_ptr<DDFileLogger> setupLogging(
    std::shared_ptr<DDLogFileManagerDefault> logFileManager) {
    DDLog& core = DDLog::sharedInstance();
    core.addLogger(DDOSLogger::sharedInstance());
    core.addLogger(DDStderrLogger::sharedInstance(), DDLogLevelInfo);
    auto fileLogger = std::make_shared<DDFileLogger>(std::move(logFileManager));
    fileLogger->setRollingFrequency(0);
    fileLogger->setMaximumFileSize(kMaximumFileSize);
    fileLogger->logFileManager().setMaximumNumberOfLogFiles(kMaximumNumberOfLogFiles);
    core.addLogger(fileLogger);
    setDDLogLevel(DDLogLevelInfo);
    DDLogInfo("setupLogging()",
              "Log files directory: " + fileLogger->logFileManager().logsDirectory());
    return fileLogger;
}

void logSystemInformation(const SystemInformation& information) {
    const char* const function = "logSystemInformation()";
    DDLogInfo(function, "========== System Information ==========");
    if (information.appVersion && information.appBuild) {
        DDLogInfo(function, "App Version: " + *information.appVersion + " (Build " +
                                *information.appBuild + ")");
    }
    DDLogInfo(function, "OS Version: " + information.osVersion);
    DDLogInfo(function, "Architecture: " + information.architecture);
    const long long uptime = information.uptimeSeconds;
    DDLogInfo(function, "System Uptime: " + std::to_string(uptime / 3600) + "h " +
                            std::to_string((uptime % 3600) / 60) + "m");
    DDLogInfo(function, "========================================");
}

}  // namespace drawlume
