#pragma once

#include <string>
#include <vector>

#include <sys/types.h>

namespace drawlume::e2e {

// A program under test (the agent, or a pipeline of other tools to compare it with),
// started with `sh -c COMMAND` in a process group of its own, so that its processes
// are measured and ended together and nothing else is touched.
class ExternalProgram {
public:
    ExternalProgram() = default;
    ~ExternalProgram();
    ExternalProgram(const ExternalProgram&) = delete;
    ExternalProgram& operator=(const ExternalProgram&) = delete;

    bool start(const std::string& command, std::string& error);

    // SIGTERM to the whole group, SIGKILL when its leader has not ended 5 s later.
    void stop();

    // Whether the group's leader (the shell, or what it exec'd) still runs.
    bool running();

    // The processes of the group now.
    std::vector<pid_t> processes() const;

private:
    pid_t group_ = -1;
    bool reaped_ = false;
};

// `text` with every `from` replaced by `to`.
std::string replaceAll(std::string text, const std::string& from, const std::string& to);

// Waits until another process holds the evdev node `twin` open and then checks that
// it grabbed it. It probes with EVIOCGRAB only once that process has had the time to
// grab: a probe that took the grab first would make the other's grab fail.
bool waitForGrabbedTwin(const std::string& twin, std::string& error);

}  // namespace drawlume::e2e
