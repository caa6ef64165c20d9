#pragma once

#include "program/AgentOptions.hpp"

namespace drawlume {

class SessionLock;

// The tray application: the main and About windows, the tray icon and its
// menus around the same service the headless agent runs. With the session
// claimed, a later launch brings the main window to the front. Returns the exit status.
int runWindowedAgent(int argc, char** argv, const AgentOptions& options,
                     const SessionLock* session);

}  // namespace drawlume
