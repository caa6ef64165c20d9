#include "logging/LogDirectory.hpp"

#include <cerrno>
#include <cstdlib>
#include <vector>

#include <pwd.h>
#include <unistd.h>

namespace drawlume {

namespace {

// Only absolute paths count: a relative XDG value must be ignored.
std::string absoluteEnvironment(const char* name) {
    // Nothing in this program changes its environment after start-up.
    const char* value = std::getenv(name);  // NOLINT(concurrency-mt-unsafe)
    if (value == nullptr || value[0] != '/') {
        return {};
    }
    return value;
}

std::string homeDirectory() {
    std::string home = absoluteEnvironment("HOME");
    if (!home.empty()) {
        return home;
    }
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr && found->pw_dir != nullptr && found->pw_dir[0] == '/') {
        return found->pw_dir;
    }
    return {};
}

}  // namespace

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
