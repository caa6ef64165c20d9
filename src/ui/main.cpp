#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/AgentOptions.hpp"
#include "app/LoginItem.hpp"
#include "platform/linux/ExecutablePath.hpp"
#include "platform/linux/HeadlessAgentRun.hpp"
#include "ui/WindowedAgent.hpp"

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
    if (options.headless || !hasDisplay()) {
        return drawlume::runHeadlessAgent(options);
    }
    return drawlume::runWindowedAgent(argc, argv, options);
}
