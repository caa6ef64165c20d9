#include "OpenNodes.hpp"

#include <cstdlib>
#include <filesystem>

#include <unistd.h>

namespace drawlume::e2e {
namespace {

namespace fs = std::filesystem;

constexpr int kPollMs = 5;

bool processHolds(const fs::path& process, const std::string& node) {
    std::error_code error;
    for (fs::directory_iterator it(process / "fd", error), end; !error && it != end;
         it.increment(error)) {
        std::error_code linkError;
        if (fs::read_symlink(it->path(), linkError) == node && !linkError) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool holdsOpen(pid_t pid, const std::string& node) {
    if (pid != 0) {
        return processHolds(fs::path("/proc") / std::to_string(pid), node);
    }
    const std::string self = std::to_string(getpid());
    std::error_code error;
    for (fs::directory_iterator it("/proc", error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name != self && name.find_first_not_of("0123456789") == std::string::npos &&
            processHolds(it->path(), node)) {
            return true;
        }
    }
    return false;
}

bool waitUntilHeldOpen(pid_t pid, const std::vector<std::string>& nodes, const Deadline& deadline,
                       std::string& error) {
    while (true) {
        std::string missing;
        for (const std::string& node : nodes) {
            if (!holdsOpen(pid, node)) {
                missing += missing.empty() ? node : ", " + node;
            }
        }
        if (missing.empty()) {
            return true;
        }
        if (deadline.expired()) {
            error = (pid != 0 ? "process " + std::to_string(pid) : std::string("no process")) +
                    " held " + missing + " open when the time ran out";
            return false;
        }
        sleepMs(kPollMs);
    }
}

}  // namespace drawlume::e2e
