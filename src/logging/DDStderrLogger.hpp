#pragma once

#include <cstdio>
#include <memory>

#include "logging/DDAbstractLogger.hpp"

namespace drawlume {

// Writes each message to standard error as "drawlume-agent: message", one a
// line, whether or not it is a terminal: a service manager or the desktop's
// session log keeps what a terminal would show. Registered at the info level,
// so it says what the system log says without the debug lines.
class DDStderrLogger final : public DDAbstractLogger {
public:
    // Tests hand a stream of their own.
    explicit DDStderrLogger(std::FILE* stream = stderr);
    ~DDStderrLogger() override;

    static std::shared_ptr<DDStderrLogger> sharedInstance();

protected:
    void logMessage(const DDLogMessage& message) override;
    void flushToStorage() override;

private:
    std::FILE* stream_;
};

}  // namespace drawlume
