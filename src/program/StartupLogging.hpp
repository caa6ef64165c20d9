#pragma once

#include <memory>

#include "logging/DDFileLogger.hpp"
#include "services/SystemInformation.hpp"

namespace drawlume {

// The logging set-up of every launch: the system log, standard error (info
// and above) and the rotating file logger registered with the core (5 MiB files, three of them, no
// time-based rolling), the level set to error, warning and info, and the directory logged. Returns
// the file logger, whose directory the log-folder menu opens.
std::shared_ptr<DDFileLogger> setupLogging(
    std::shared_ptr<DDLogFileManagerDefault> logFileManager = nullptr);

// The block of system information written after the set-up.
void logSystemInformation(const SystemInformation& information);

}  // namespace drawlume
