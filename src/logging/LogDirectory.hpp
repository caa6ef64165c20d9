#pragma once

#include <string>

namespace drawlume {

// The name of the running program, as the system shows it ("drawlume-agent").
std::string processName();

// <state folder>/Logs/<process name>: $XDG_STATE_HOME, else ~/.local/state;
// the temporary folder when neither can be found.
std::string defaultLogsDirectory(const std::string& process);

}  // namespace drawlume
