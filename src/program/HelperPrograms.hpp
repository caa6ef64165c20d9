#pragma once

#include <string>

namespace drawlume {

// The companion check that the udev rule asks, belonging to this agent:
// beside it in the build tree, in lib/drawlume-agent once installed.
std::string companionCheckPath();

// The update check's download module, in the same places.
std::string feedDownloadModulePath();

// The running agent's own program file.
std::string agentProgramPath();

}  // namespace drawlume
