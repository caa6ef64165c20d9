#pragma once

#include <memory>

#include "logging/DDAbstractLogger.hpp"

namespace drawlume {

// Writes each message to the system log through syslog(3), where journald or
// a syslog daemon collects it. Errors and warnings go out as errors, info as
// info, debug and verbose as debug, anything else at the default priority.
class DDOSLogger final : public DDAbstractLogger {
public:
    DDOSLogger();
    ~DDOSLogger() override;

    static std::shared_ptr<DDOSLogger> sharedInstance();
    static int syslogPriorityFor(uint32_t flag);

protected:
    void logMessage(const DDLogMessage& message) override;
};

}  // namespace drawlume
