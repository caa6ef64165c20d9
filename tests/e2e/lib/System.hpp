#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <sys/types.h>

namespace drawlume::e2e {

// A point in time after which a wait gives up. Every blocking call of the harness
// takes one, so that a kernel that never answers fails a check instead of hanging
// the virtual machine.
using Deadline = std::chrono::steady_clock::time_point;
Deadline afterMs(int64_t milliseconds);
// What is left, for poll(2): never negative, 0 once expired.
int remainingMs(const Deadline& deadline);

// CLOCK_MONOTONIC in nanoseconds, the clock of the latency figures.
int64_t monotonicNs();
void sleepMs(int milliseconds);

// Polls `done` every few milliseconds (sysfs and /proc have no change notification
// without udev); false when the deadline passed first.
bool pollUntil(const Deadline& deadline, const std::function<bool()>& done);

// "call: strerror(errno)", for the reasons of failed checks.
std::string sysError(const std::string& call);

// The entries of a folder whose names start with `prefix`. Sysfs and /proc folders
// vanish while they are walked when a device or process goes away: a vanished entry
// is absent.
std::vector<std::filesystem::path> children(const std::filesystem::path& folder,
                                            const std::string& prefix);

// Gives `take` each line of a text file that is more than its '#' comment; a false
// from it ends the reading, its error prefixed with "FILE:LINE: ".
bool readLines(const std::string& path,
               const std::function<bool(const std::string& line, std::string& error)>& take,
               std::string& error);

// Prints one line per check on standard output - "PASS name" or "FAIL name: reason" -
// which the host counts. Diagnostics go to standard error, the console log.
class CheckReporter {
public:
    void result(const std::string& name, bool passed, const std::string& reason);
    // Runs a check: it returns true when it passed and otherwise says why in `reason`.
    void run(const std::string& name, const std::function<bool(std::string& reason)>& check);
    int failures() const { return failures_; }

private:
    int failures_ = 0;
};

// A program under test (the agent, or a pipeline to compare it with), started with
// `sh -c COMMAND` in a process group of its own, measured and ended as a whole.
class ExternalProgram {
public:
    ExternalProgram() = default;
    ~ExternalProgram() { stop(); }
    ExternalProgram(const ExternalProgram&) = delete;
    ExternalProgram& operator=(const ExternalProgram&) = delete;

    bool start(const std::string& command, std::string& error);
    // SIGTERM to the whole group, SIGKILL when its leader has not ended 5 s later.
    void stop();
    // Whether the group's leader (the shell, or what it exec'd) still runs.
    bool running();
    std::vector<pid_t> processes() const;

private:
    pid_t group_ = -1;
    bool reaped_ = false;
};

// Resident memory and CPU time of a set of processes, summed, from /proc.
struct ProcessStats {
    long rssKiB = 0;
    double userSeconds = 0;
    double systemSeconds = 0;
    bool complete = false;  // every process could be read
};
ProcessStats sampleProcesses(const std::vector<pid_t>& pids);

// Waits until process `pid` (0: any process but this one) holds every node open. Tells
// when a program under test has opened (and so, a moment later, grabbed) a node
// without probing the grab, which could win it from under the program.
bool waitUntilHeldOpen(pid_t pid, const std::vector<std::string>& nodes, const Deadline& deadline,
                       std::string& error);

std::string replaceAll(std::string text, const std::string& from, const std::string& to);

// The whole of `text` as a number from `minimum` to `maximum` (base 0: C's prefixes).
bool parseNumber(const std::string& text, long minimum, long maximum, long& value, int base = 0);

}  // namespace drawlume::e2e
