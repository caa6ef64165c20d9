#include "logging/DDStderrLogger.hpp"

namespace drawlume {

DDStderrLogger::DDStderrLogger(std::FILE* stream)
    : DDAbstractLogger("ddlog.stderrlogger"), stream_(stream) {}

DDStderrLogger::~DDStderrLogger() {
    finishPendingWork();
}

std::shared_ptr<DDStderrLogger> DDStderrLogger::sharedInstance() {
    static const std::shared_ptr<DDStderrLogger> instance = std::make_shared<DDStderrLogger>();
    return instance;
}

void DDStderrLogger::logMessage(const DDLogMessage& message) {
    std::fprintf(stream_, "drawlume-agent: %s\n", message.message.c_str());
}

void DDStderrLogger::flushToStorage() {
    std::fflush(stream_);
}

}  // namespace drawlume
