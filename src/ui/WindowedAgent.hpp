#pragma once

#include "app/AgentOptions.hpp"

namespace drawlume {

// The tray application: the main and About windows, the tray icon and its
// menus around the same service the headless agent runs. Returns the exit status.
int runWindowedAgent(int argc, char** argv, const AgentOptions& options);

}  // namespace drawlume
