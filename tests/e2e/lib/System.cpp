#include "System.hpp"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>
#include <thread>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace drawlume::e2e {
namespace {

namespace fs = std::filesystem;

std::vector<pid_t> allProcesses() {
    std::vector<pid_t> pids;
    for (const fs::path& folder : children("/proc", "")) {
        long pid = 0;
        if (parseNumber(folder.filename().string(), 1, INT32_MAX, pid, 10)) {
            pids.push_back(static_cast<pid_t>(pid));
        }
    }
    return pids;
}

// Whether process `pid` (0: any process but this one) holds `node` open.
bool holdsOpen(pid_t pid, const std::string& node) {
    const std::vector<pid_t> holders = pid != 0 ? std::vector<pid_t>{pid} : allProcesses();
    return std::any_of(holders.begin(), holders.end(), [&node](pid_t holder) {
        const std::vector<fs::path> fds = children("/proc/" + std::to_string(holder) + "/fd", "");
        return holder != getpid() && std::any_of(fds.begin(), fds.end(), [&node](const auto& fd) {
                   std::error_code error;
                   return fs::read_symlink(fd, error) == node && !error;
               });
    });
}

}  // namespace

Deadline afterMs(int64_t milliseconds) {
    return std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
}

int remainingMs(const Deadline& deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

int64_t monotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

void sleepMs(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

bool pollUntil(const Deadline& deadline, const std::function<bool()>& done) {
    while (!done()) {
        if (remainingMs(deadline) == 0) {
            return false;
        }
        sleepMs(5);
    }
    return true;
}

std::string sysError(const std::string& call) {
    // The category's message, unlike strerror, is safe from any thread.
    return call + ": " + std::generic_category().message(errno);
}

std::vector<fs::path> children(const fs::path& folder, const std::string& prefix) {
    std::vector<fs::path> found;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (it->path().filename().string().starts_with(prefix)) {
            found.push_back(it->path());
        }
    }
    return found;
}

bool readLines(const std::string& path,
               const std::function<bool(const std::string& line, std::string& error)>& take,
               std::string& error) {
    std::ifstream in(path);
    if (!in) {
        error = "cannot read " + path;
        return false;
    }
    std::string text;
    for (int number = 1; std::getline(in, text); ++number) {
        const std::string line = text.substr(0, text.find('#'));
        if (line.find_first_not_of(" \t") != std::string::npos && !take(line, error)) {
            error = path + ":" + std::to_string(number) + ": " + error;
            return false;
        }
    }
    return true;
}

void CheckReporter::result(const std::string& name, bool passed, const std::string& reason) {
    failures_ += passed ? 0 : 1;
    const std::string why = passed ? "" : ": " + (reason.empty() ? "no reason given" : reason);
    std::printf("%s %s%s\n", passed ? "PASS" : "FAIL", name.c_str(), why.c_str());
    std::fflush(stdout);
}

void CheckReporter::run(const std::string& name,
                        const std::function<bool(std::string& reason)>& check) {
    std::string reason;
    const bool passed = check(reason);
    result(name, passed, reason);
}

bool waitUntilHeldOpen(pid_t pid, const std::vector<std::string>& nodes, const Deadline& deadline,
                       std::string& error) {
    std::string missing;
    const bool held = pollUntil(deadline, [&] {
        missing.clear();
        for (const std::string& node : nodes) {
            if (!holdsOpen(pid, node)) {
                missing += missing.empty() ? node : ", " + node;
            }
        }
        return missing.empty();
    });
    if (!held) {
        error = (pid != 0 ? "process " + std::to_string(pid) : std::string("no process")) +
                " held " + missing + " open when the time ran out";
    }
    return held;
}

bool ExternalProgram::start(const std::string& command, std::string& error) {
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);  // group 0: its own
    const char* arguments[] = {"sh", "-c", command.c_str(), nullptr};
    const int failed = posix_spawn(&group_, "/bin/sh", nullptr, &attributes,
                                   const_cast<char* const*>(arguments), environ);
    posix_spawnattr_destroy(&attributes);
    errno = failed;
    error = sysError("posix_spawn");
    return failed == 0;
}

void ExternalProgram::stop() {
    // A program that does not end on SIGTERM is killed: the caller's run must end.
    if (group_ > 0) {
        kill(-group_, SIGTERM);
        if (!pollUntil(afterMs(5000), [this] { return !running(); })) {
            kill(-group_, SIGKILL);
            waitpid(group_, nullptr, 0);
        }
        group_ = -1;
    }
}

bool ExternalProgram::running() {
    if (group_ > 0 && !reaped_ && waitpid(group_, nullptr, WNOHANG) == group_) {
        reaped_ = true;
    }
    return group_ > 0 && !reaped_;
}

std::vector<pid_t> ExternalProgram::processes() const {
    std::vector<pid_t> found = allProcesses();
    std::erase_if(found, [this](pid_t pid) { return group_ <= 0 || getpgid(pid) != group_; });
    return found;
}

ProcessStats sampleProcesses(const std::vector<pid_t>& pids) {
    ProcessStats stats;
    stats.complete = !pids.empty();
    const auto ticks = static_cast<double>(sysconf(_SC_CLK_TCK));
    const auto pageKiB = sysconf(_SC_PAGESIZE) / 1024;
    for (const pid_t pid : pids) {
        std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
        std::string stat;
        std::getline(in, stat);
        // The command name may hold blanks: fields are counted after its closing
        // parenthesis, which ends field 2; utime and stime are 14 and 15, rss 24.
        const size_t end = stat.rfind(')');
        std::istringstream fields(end == std::string::npos ? "" : stat.substr(end + 1));
        std::string field;
        long values[25] = {};
        int index = 3;
        for (; index <= 24 && fields >> field; ++index) {
            values[index] = std::strtol(field.c_str(), nullptr, 10);
        }
        stats.complete = stats.complete && index == 25;
        stats.userSeconds += static_cast<double>(values[14]) / ticks;
        stats.systemSeconds += static_cast<double>(values[15]) / ticks;
        stats.rssKiB += values[24] * pageKiB;
    }
    return stats;
}

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
        text.replace(at, from.size(), to);
        at += to.size();
    }
    return text;
}

bool parseNumber(const std::string& text, long minimum, long maximum, long& value, int base) {
    try {
        size_t used = 0;
        value = std::stol(text, &used, base);
        return used == text.size() && value >= minimum && value <= maximum;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace drawlume::e2e
