#pragma once

#include <string>
#include <vector>

namespace drawlume {

// The headless commands of drawlume-agent. Each sets up logging itself (after
// the signals are blocked, before any thread starts) and returns the exit
// status.

// Plays the recordings through the whole pipeline and prints every event
// record on standard output, one per line, or posts the events through
// uinput. Exit status 2, with the file and line on standard error, when a
// recording is malformed.
int runReplayCommand(const std::vector<std::string>& files, bool asFastAsPossible,
                     bool printEvents);

// Reads the real companion through hidraw and prints every event record on
// standard output until SIGINT or SIGTERM.
int runPrintEventsCommand();

}  // namespace drawlume
