#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <sys/types.h>

namespace drawlume::e2e {

// A point in time after which a wait gives up. Every blocking call of the harness
// takes one, so that a kernel that never answers fails a check instead of hanging
// the virtual machine.
class Deadline {
public:
    explicit Deadline(std::chrono::milliseconds budget)
        : end_(std::chrono::steady_clock::now() + budget) {}
    static Deadline afterMs(int64_t milliseconds) {
        return Deadline(std::chrono::milliseconds(milliseconds));
    }
    bool expired() const { return std::chrono::steady_clock::now() >= end_; }
    // What is left, for poll(2): never negative, 0 once expired.
    int remainingMs() const;
    // The earlier of this deadline and one that ends `milliseconds` from now.
    Deadline capped(int64_t milliseconds) const;

private:
    std::chrono::steady_clock::time_point end_;
};

// CLOCK_MONOTONIC in nanoseconds, the clock of the latency figures.
int64_t monotonicNs();
void sleepMs(int milliseconds);

// Polls `done` every few milliseconds (sysfs and /proc have no change notification
// without udev); false when the deadline passed first.
bool pollUntil(const Deadline& deadline, const std::function<bool()>& done);

// "call: strerror(errno)", for the reasons of failed checks.
std::string sysError(const std::string& call);

// Prints one line per check on standard output - "PASS name" or "FAIL name: reason" -
// which the host counts. Diagnostics go to standard error, the console log.
class CheckReporter {
public:
    void fail(const std::string& name, const std::string& reason);
    // Runs a check: it returns true when it passed and otherwise says why in `reason`.
    void run(const std::string& name, const std::function<bool(std::string& reason)>& check);
    int failures() const { return failures_; }

private:
    int failures_ = 0;
};

// Whether process `pid` holds `node` open; pid 0 means any process but this one.
// Tells when a program under test has opened (and so, a moment later, grabbed) a
// node without probing the grab, which could win it from under the program.
bool holdsOpen(pid_t pid, const std::string& node);
bool waitUntilHeldOpen(pid_t pid, const std::vector<std::string>& nodes, const Deadline& deadline,
                       std::string& error);

// Waits until another process holds the evdev node `twin` open, gives it the time
// to grab it, then checks the grab (EVIOCGRAB answers EBUSY).
bool waitForGrabbedTwin(const std::string& twin, std::string& error);

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

std::string replaceAll(std::string text, const std::string& from, const std::string& to);

// The whole of `text` as a number from `minimum` to `maximum` (base 0: C's prefixes).
bool parseNumber(const std::string& text, long minimum, long maximum, long& value, int base = 0);

}  // namespace drawlume::e2e
