#pragma once

#include <string>

namespace drawlume {

// The running program's own file, for entries that must start it again
// (the autostart entry); "drawlume-agent" when the kernel will not say.
std::string executablePath();

// A helper program of the agent's: beside it in the build tree, in
// lib/drawlume-agent next to its bin folder once installed (the installed
// place when neither exists yet).
std::string helperProgramPath(const std::string& name);

}  // namespace drawlume
