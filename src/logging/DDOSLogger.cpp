#include "logging/DDOSLogger.hpp"

#include <syslog.h>

#include "logging/DDLogFlag.hpp"

namespace drawlume {

DDOSLogger::DDOSLogger() : DDAbstractLogger("ddlog.oslogger") {
    // No identity of our own: syslog takes the program's name, as the system
    // log shows every other program.
    ::openlog(nullptr, LOG_PID, LOG_USER);
}

DDOSLogger::~DDOSLogger() {
    finishPendingWork();
}

std::shared_ptr<DDOSLogger> DDOSLogger::sharedInstance() {
    static const std::shared_ptr<DDOSLogger> instance = std::make_shared<DDOSLogger>();
    return instance;
}

int DDOSLogger::syslogPriorityFor(uint32_t flag) {
    switch (flag) {
        case DDLogFlagError:
        case DDLogFlagWarning:
            return LOG_ERR;
        case DDLogFlagInfo:
            return LOG_INFO;
        case DDLogFlagDebug:
        case DDLogFlagVerbose:
            return LOG_DEBUG;
        default:
            return LOG_NOTICE;
    }
}

void DDOSLogger::logMessage(const DDLogMessage& message) {
    ::syslog(syslogPriorityFor(message.flag), "%s", message.message.c_str());
}

}  // namespace drawlume
