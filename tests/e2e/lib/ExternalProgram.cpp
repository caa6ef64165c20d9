#include "ExternalProgram.hpp"

#include <cerrno>
#include <csignal>
#include <filesystem>

#include <sys/wait.h>
#include <unistd.h>

#include "Deadline.hpp"
#include "EvdevReader.hpp"
#include "OpenNodes.hpp"
#include "SysError.hpp"
#include "SysfsNodes.hpp"

namespace drawlume::e2e {
namespace {

constexpr int kOpenBudgetMs = 10000;
constexpr int kGrabSettleMs = 200;
constexpr int kStopBudgetMs = 5000;

}  // namespace

ExternalProgram::~ExternalProgram() {
    stop();
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
    const Deadline deadline = Deadline::afterMs(kStopBudgetMs);
    while (running() && !deadline.expired()) {
        sleepMs(10);
    }
    if (running()) {
        kill(-group_, SIGKILL);
        int status = 0;
        waitpid(group_, &status, 0);
    }
    group_ = -1;
}

bool ExternalProgram::running() {
    if (group_ <= 0 || reaped_) {
        return false;
    }
    int status = 0;
    if (waitpid(group_, &status, WNOHANG) == group_) {
        reaped_ = true;
        return false;
    }
    return true;
}

std::vector<pid_t> ExternalProgram::processes() const {
    std::vector<pid_t> found;
    if (group_ <= 0) {
        return found;
    }
    std::error_code error;
    for (std::filesystem::directory_iterator it("/proc", error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        const pid_t pid = static_cast<pid_t>(std::stol(name));
        if (getpgid(pid) == group_) {
            found.push_back(pid);
        }
    }
    return found;
}

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
        text.replace(at, from.size(), to);
        at += to.size();
    }
    return text;
}

bool waitForGrabbedTwin(const std::string& twin, std::string& error) {
    if (!waitUntilHeldOpen(0, {twin}, Deadline::afterMs(kOpenBudgetMs), error)) {
        return false;
    }
    sleepMs(kGrabSettleMs);
    EvdevReader probe;
    if (!probe.open(twin, error)) {
        return false;
    }
    const int refused = probe.grab();
    if (refused == 0) {
        probe.ungrab();
    }
    if (refused != EBUSY) {
        error = twin + " is open but not grabbed";
        return false;
    }
    return true;
}

}  // namespace drawlume::e2e
