#pragma once

#include <optional>
#include <string>

namespace drawlume {

// What the start of every log tells about the program and the machine.
struct SystemInformation {
    // Left out of the log when either is unknown.
    std::optional<std::string> appVersion;
    std::optional<std::string> appBuild;
    std::string osVersion;     // major.minor.patch of the running kernel
    std::string architecture;  // of this build, as "x86_64"
    long long uptimeSeconds = 0;
};

}  // namespace drawlume
