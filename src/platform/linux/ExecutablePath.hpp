#pragma once

#include <string>

namespace drawlume {

// The running program's own file, for entries that must start it again
// (the autostart entry); "drawlume-agent" when the kernel will not say.
std::string executablePath();

}  // namespace drawlume
