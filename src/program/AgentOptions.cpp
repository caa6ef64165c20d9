#include "program/AgentOptions.hpp"

namespace drawlume {

namespace {

AgentOptionsResult refuse(std::string error) {
    return AgentOptionsResult{std::nullopt, std::move(error)};
}

}  // namespace

AgentOptionsResult parseAgentOptions(const std::vector<std::string>& arguments) {
    AgentOptions options;
    bool replayGiven = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--version") {
            options.showVersion = true;
        } else if (argument == "--help") {
            options.showHelp = true;
        } else if (argument == "--headless") {
            options.headless = true;
        } else if (argument == "--print-events") {
            options.printEvents = true;
        } else if (argument == "--fast") {
            options.fast = true;
        } else if (argument == "--replay") {
            replayGiven = true;
            while (i + 1 < arguments.size() && arguments[i + 1].rfind("--", 0) != 0) {
                options.replayFiles.push_back(arguments[++i]);
            }
        } else if (argument == "--start-at-login=on" || argument == "--start-at-login=off") {
            options.startAtLogin = argument.ends_with("=on");
        } else if (argument.rfind("--start-at-login", 0) == 0) {
            return refuse("--start-at-login takes =on or =off");
        } else {
            return refuse("unknown option " + argument);
        }
    }
    if (replayGiven && options.replayFiles.empty()) {
        return refuse("--replay needs at least one recording");
    }
    if (options.fast && !replayGiven) {
        return refuse("--fast goes with --replay");
    }
    return AgentOptionsResult{options, {}};
}

const char* agentUsage() {
    return "Usage: drawlume-agent [--headless] [--print-events] [--replay FILE... [--fast]]\n"
           "       drawlume-agent --start-at-login=on|off\n"
           "       drawlume-agent --version | --help\n"
           "\n"
           "Turns a phone or tablet paired as a Bluetooth HID device into a pen tablet, a\n"
           "mouse and a keyboard. Without a display (or with --headless) it runs without\n"
           "windows until interrupted.\n"
           "  --headless        no windows, no tray icon\n"
           "  --print-events    print every event, one line each, instead of posting it\n"
           "  --replay FILE...  play hid-recorder recordings as devices instead of the\n"
           "                    real ones, then exit\n"
           "  --fast            with --replay: play without waiting for the recorded times\n"
           "  --start-at-login=on|off\n"
           "                    write or remove the autostart entry, then exit\n"
           "One agent runs per session: a second launch brings its window to the front.\n"
           "Exit status: 0, 1 when another agent already runs, or 2 for a bad option or a\n"
           "malformed recording.\n";
}

}  // namespace drawlume
