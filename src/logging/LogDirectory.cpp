#include "logging/LogDirectory.hpp"

#include <cerrno>

#include "util/UserDirectories.hpp"

namespace drawlume {

std::string processName() {
    return program_invocation_short_name;
}

std::string defaultLogsDirectory(const std::string& process) {
    std::string state = xdgBaseDirectory("XDG_STATE_HOME", ".local/state");
    if (state.empty()) {
        state = absoluteEnvironment("TMPDIR");
        if (state.empty()) {
            state = "/tmp";
        }
    }
    return state + "/Logs/" + process;
}

}  // namespace drawlume
