#include "System.hpp"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>
#include <thread>

#include <fcntl.h>
#include <linux/input.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace drawlume::e2e {
namespace {

namespace fs = std::filesystem;

// Every numeric folder of /proc, as a process id.
std::vector<pid_t> allProcesses() {
    std::vector<pid_t> pids;
    std::error_code error;
    for (fs::directory_iterator it("/proc", error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.find_first_not_of("0123456789") == std::string::npos) {
            pids.push_back(static_cast<pid_t>(std::stol(name)));
        }
    }
    return pids;
}

bool processHolds(pid_t pid, const std::string& node) {
    std::error_code error;
    const fs::path fds = "/proc/" + std::to_string(pid) + "/fd";
    for (fs::directory_iterator it(fds, error), end; !error && it != end; it.increment(error)) {
        std::error_code linkError;
        if (fs::read_symlink(it->path(), linkError) == node && !linkError) {
            return true;
        }
    }
    return false;
}

}  // namespace

int Deadline::remainingMs() const {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        end_ - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

Deadline Deadline::capped(int64_t milliseconds) const {
    Deadline other = afterMs(milliseconds);
    return other.end_ < end_ ? other : *this;
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
        if (deadline.expired()) {
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

void CheckReporter::fail(const std::string& name, const std::string& reason) {
    ++failures_;
    std::printf("FAIL %s: %s\n", name.c_str(), reason.c_str());
    std::fflush(stdout);
}

void CheckReporter::run(const std::string& name,
                        const std::function<bool(std::string& reason)>& check) {
    const int64_t start = monotonicNs();
    std::string reason;
    const bool passed = check(reason);
    std::fprintf(stderr, "check %s: %s in %.0f ms\n", name.c_str(), passed ? "passed" : "failed",
                 static_cast<double>(monotonicNs() - start) / 1e6);
    if (passed) {
        std::printf("PASS %s\n", name.c_str());
        std::fflush(stdout);
    } else {
        fail(name, reason.empty() ? "no reason given" : reason);
    }
}

bool holdsOpen(pid_t pid, const std::string& node) {
    if (pid != 0) {
        return processHolds(pid, node);
    }
    for (const pid_t other : allProcesses()) {
        if (other != getpid() && processHolds(other, node)) {
            return true;
        }
    }
    return false;
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

bool waitForGrabbedTwin(const std::string& twin, std::string& error) {
    if (!waitUntilHeldOpen(0, {twin}, Deadline::afterMs(10000), error)) {
        return false;
    }
    sleepMs(200);
    const int fd = open(twin.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = sysError("open " + twin);
        return false;
    }
    const int refused = ioctl(fd, EVIOCGRAB, 1) == 0 ? 0 : errno;
    close(fd);  // which ends a grab the probe won
    if (refused != EBUSY) {
        error = twin + " is open but not grabbed";
        return false;
    }
    return true;
}

bool ExternalProgram::start(const std::string& command, std::string& error) {
    const pid_t child = fork();
    if (child < 0) {
        error = sysError("fork");
        return false;
    }
    if (child == 0) {
        setpgid(0, 0);
        execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    // Set on both sides, so that the group exists whichever runs first.
    setpgid(child, child);
    group_ = child;
    reaped_ = false;
    return true;
}

void ExternalProgram::stop() {
    if (group_ <= 0) {
        return;
    }
    kill(-group_, SIGTERM);
    // A program that does not end on SIGTERM is killed: the caller's run must end.
    if (!pollUntil(Deadline::afterMs(5000), [this] { return !running(); })) {
        kill(-group_, SIGKILL);
        int status = 0;
        waitpid(group_, &status, 0);
    }
    group_ = -1;
}

bool ExternalProgram::running() {
    int status = 0;
    if (group_ > 0 && !reaped_ && waitpid(group_, &status, WNOHANG) == group_) {
        reaped_ = true;
    }
    return group_ > 0 && !reaped_;
}

std::vector<pid_t> ExternalProgram::processes() const {
    std::vector<pid_t> found;
    for (const pid_t pid : allProcesses()) {
        if (group_ > 0 && getpgid(pid) == group_) {
            found.push_back(pid);
        }
    }
    return found;
}

ProcessStats sampleProcesses(const std::vector<pid_t>& pids) {
    ProcessStats stats;
    stats.complete = !pids.empty();
    const auto ticks = static_cast<double>(sysconf(_SC_CLK_TCK));
    const auto pageKiB = sysconf(_SC_PAGESIZE) / 1024;
    for (const pid_t pid : pids) {
        std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
        std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        // The command name may hold blanks: fields are counted after its closing
        // parenthesis, which ends field 2; utime and stime are 14 and 15, rss 24.
        const size_t end = stat.rfind(')');
        std::istringstream fields(end == std::string::npos ? "" : stat.substr(end + 1));
        std::string field;
        long user = -1;
        long system = -1;
        long rss = -1;
        for (int index = 3; index <= 24 && fields >> field; ++index) {
            const long value = std::strtol(field.c_str(), nullptr, 10);
            user = index == 14 ? value : user;
            system = index == 15 ? value : system;
            rss = index == 24 ? value : rss;
        }
        stats.complete = stats.complete && user >= 0 && system >= 0 && rss >= 0;
        stats.userSeconds += static_cast<double>(user) / ticks;
        stats.systemSeconds += static_cast<double>(system) / ticks;
        stats.rssKiB += rss * pageKiB;
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
