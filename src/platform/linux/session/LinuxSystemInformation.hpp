#pragma once

#include "services/SystemInformation.hpp"

namespace drawlume {

// The running kernel's release, this build's architecture, the time since boot.
SystemInformation readSystemInformation();

// "6.1.0-18-amd64" -> "6.1.0"; missing parts count as 0.
std::string kernelVersionTriple(const std::string& release);

}  // namespace drawlume
