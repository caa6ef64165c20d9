#pragma once

#include <vector>

#include "displays/ScreenList.hpp"
#include "program/AgentOptions.hpp"

namespace drawlume {

class SessionLock;

// The agent without windows: the view model and the service on a poll()
// loop, until SIGINT or SIGTERM (or, with recordings, until the last one has
// played). Events go to uinput, or to standard output with --print-events.
// With the session claimed, later launches are told there is no window to
// show. Returns the process's exit status.
int runHeadlessAgent(const AgentOptions& options, const SessionLock* session = nullptr);

// Without a window system there is no screen to ask: one 1920 by 1080 display.
std::vector<ScreenDescription> headlessScreens();

}  // namespace drawlume
