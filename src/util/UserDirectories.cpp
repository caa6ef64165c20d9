#include "util/UserDirectories.hpp"

#include <cstdlib>
#include <vector>

#include <pwd.h>
#include <unistd.h>

namespace drawlume {

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

std::string xdgBaseDirectory(const char* variable, const char* fallback) {
    std::string directory = absoluteEnvironment(variable);
    if (!directory.empty()) {
        return directory;
    }
    const std::string home = homeDirectory();
    return home.empty() ? std::string() : home + "/" + fallback;
}

}  // namespace drawlume
