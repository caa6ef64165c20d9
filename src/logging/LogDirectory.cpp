#include "logging/LogDirectory.hpp"

#include <cerrno>

#include "util/UserDirectories.hpp"

namespace drawlume {

std::string processName() {
    return program_invocation_short_name;
}

std::string defaultLogsDirectory(const std::string& process) {
    std::string state = absoluteEnvironment("XDG_STATE_HOME");
    if (state.empty()) {
        const std::string home = homeDirectory();
        if (!home.empty()) {
            state = home + "/.local/state";
        }
    }
    if (state.empty()) {
        state = absoluteEnvironment("TMPDIR");
        if (state.empty()) {
            state = "/tmp";
        }
    }
    return state + "/Logs/" + process;
}

}  // namespace drawlume
