#pragma once

#include <optional>
#include <string>
#include <vector>

namespace drawlume {

// The command line of drawlume-agent.
struct AgentOptions {
    bool showVersion = false;
    bool showHelp = false;
    bool headless = false;
    bool printEvents = false;
    // With replayFiles: play as fast as possible rather than at the recorded times.
    bool fast = false;
    std::vector<std::string> replayFiles;
    // --start-at-login=on|off: switch the autostart entry, then exit.
    std::optional<bool> startAtLogin;

    bool replays() const { return !replayFiles.empty(); }
    // Runs that only print or only replay must not touch the user's settings.
    bool usesOwnSettings() const { return printEvents || replays(); }
};

struct AgentOptionsResult {
    std::optional<AgentOptions> options;
    std::string error;  // why the command line was refused
};

AgentOptionsResult parseAgentOptions(const std::vector<std::string>& arguments);

const char* agentUsage();

}  // namespace drawlume
