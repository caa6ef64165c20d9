#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include <dlfcn.h>

#include "platform/linux/session/ExecutablePath.hpp"
#include "platform/linux/session/SessionLock.hpp"
#include "program/AgentOptions.hpp"
#include "program/HeadlessAgentRun.hpp"
#include "program/LoginItem.hpp"

namespace {

// A window system to show windows on: X11 or Wayland.
bool hasDisplay() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        // NOLINTNEXTLINE(concurrency-mt-unsafe): read before any thread starts.
        const char* value = std::getenv(name);
        if (value != nullptr && value[0] != '\0') {
            return true;
        }
    }
    return false;
}

// The windows live in a module of their own, so an agent without a display
// never maps Qt: beside the program in the build tree, in lib/drawlume-agent
// next to its bin folder once installed.
using RunWindowed = int (*)(int, char**, const drawlume::AgentOptions*,
                            const drawlume::SessionLock*);

RunWindowed loadWindowedInterface(std::string& problem) {
    const std::string program = drawlume::executablePath();
    const std::string folder = program.substr(0, program.find_last_of('/') + 1);
    for (const std::string& path :
         {folder + "drawlume-agent-ui.so", folder + "../lib/drawlume-agent/drawlume-agent-ui.so"}) {
        void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr) {
            // NOLINTNEXTLINE(concurrency-mt-unsafe): no other thread runs yet.
            const char* reason = dlerror();
            problem = reason != nullptr ? reason : path + ": cannot be loaded";
            continue;
        }
        // The module stays loaded for the life of the process.
        if (void* entry = dlsym(module, "drawlume_run_windowed")) {
            return reinterpret_cast<RunWindowed>(entry);  // the module's C entry
        }
        problem = path + ": no entry point drawlume_run_windowed";
    }
    return nullptr;
}

// Runs that read the companion or post to the desktop are the session's one
// agent; printing a recording touches neither and may run beside it.
bool claimsSession(const drawlume::AgentOptions& options) {
    return !(options.printEvents && options.replays());
}

// Another agent holds the session. A launch with windows asks it to show its
// main window and, when it did, exits 0: that is what the user launched for.
// Anything else would be a second agent fighting over the companion: refused.
int answerRunningAgent(const drawlume::SessionLock& session, bool handsOver) {
    const std::string pid =
        session.holderPid() > 0 ? " (pid " + std::to_string(session.holderPid()) + ")" : "";
    if (!handsOver) {
        std::fprintf(stderr,
                     "drawlume-agent: an agent is already running in this session%s; not "
                     "starting another\n",
                     pid.c_str());
        return 1;
    }
    switch (session.askHolderToShowWindow(5.0)) {
        case drawlume::SessionLock::Answer::windowShown:
            std::printf("drawlume-agent: already running%s; its window is in front\n", pid.c_str());
            return 0;
        case drawlume::SessionLock::Answer::noWindow:
            std::fprintf(stderr,
                         "drawlume-agent: an agent without windows is already running in this "
                         "session%s; stop it to start one with windows\n",
                         pid.c_str());
            return 1;
        case drawlume::SessionLock::Answer::noAnswer:
            break;
    }
    std::fprintf(stderr,
                 "drawlume-agent: an agent is already running in this session%s but did not "
                 "answer; not starting another\n",
                 pid.c_str());
    return 1;
}

int switchStartAtLogin(bool enabled) {
    drawlume::LoginItem item(drawlume::LoginItem::defaultEntryPath(), {drawlume::executablePath()});
    if (const drawlume::FileError error = item.setEnabled(enabled); error.failed()) {
        std::fprintf(stderr, "drawlume-agent: could not %s %s: %s\n", enabled ? "write" : "remove",
                     item.entryPath().c_str(), error.describe().c_str());
        return 1;
    }
    std::printf("drawlume-agent: start at login is %s (%s)\n", enabled ? "on" : "off",
                item.entryPath().c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const drawlume::AgentOptionsResult parsed =
        drawlume::parseAgentOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.options) {
        std::fprintf(stderr, "drawlume-agent: %s\n%s", parsed.error.c_str(),
                     drawlume::agentUsage());
        return 2;
    }
    const drawlume::AgentOptions& options = *parsed.options;
    if (options.showVersion) {
        std::printf("drawlume-agent %s (build %s)\n", DRAWLUME_VERSION, DRAWLUME_BUILD_NUMBER);
        return 0;
    }
    if (options.showHelp) {
        std::printf("%s", drawlume::agentUsage());
        return 0;
    }
    if (options.startAtLogin) {
        return switchStartAtLogin(*options.startAtLogin);
    }
    const bool windowed = !options.headless && hasDisplay();
    std::optional<drawlume::SessionLock> session;
    if (claimsSession(options)) {
        // NOLINTNEXTLINE(concurrency-mt-unsafe): read before any thread starts.
        const char* runtimeDirectory = std::getenv("XDG_RUNTIME_DIR");
        session.emplace(runtimeDirectory != nullptr ? runtimeDirectory : "");
        switch (session->state()) {
            case drawlume::SessionLock::State::claimed:
                break;
            case drawlume::SessionLock::State::heldByAnother:
                // A replay is run to play its recording, not to show a window.
                return answerRunningAgent(*session, windowed && !options.replays());
            case drawlume::SessionLock::State::unguarded:
                std::fprintf(stderr,
                             "drawlume-agent: %s; not checking for another agent in this "
                             "session\n",
                             session->problem().c_str());
                session.reset();
                break;
        }
    }
    const drawlume::SessionLock* claimed = session ? &*session : nullptr;
    if (!windowed) {
        return drawlume::runHeadlessAgent(options, claimed);
    }
    std::string problem;
    const RunWindowed runWindowed = loadWindowedInterface(problem);
    if (runWindowed == nullptr) {
        std::fprintf(stderr,
                     "drawlume-agent: the windows could not be loaded (%s); running without "
                     "windows\n",
                     problem.c_str());
        return drawlume::runHeadlessAgent(options, claimed);
    }
    return runWindowed(argc, argv, &options, claimed);
}
