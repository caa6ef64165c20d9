#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/AccessibilityTrust.hpp"
#include "app/StartupLogging.hpp"
#include "logging/DDLog.hpp"
#include "platform/linux/AgentCommands.hpp"
#include "platform/linux/InputNodeProbe.hpp"
#include "platform/linux/LinuxAccessibilityTrust.hpp"
#include "platform/linux/LinuxSystemInformation.hpp"

namespace {

void printUsage(std::FILE* out) {
    std::fprintf(out,
                 "Usage: drawlume-agent [--version] [--help]\n"
                 "       drawlume-agent --replay FILE... [--fast] [--print-events]\n"
                 "       drawlume-agent --print-events\n"
                 "\n"
                 "Without options: sets up logging (system log and rotating files), writes the\n"
                 "start lines, checks the input permission and exits.\n"
                 "  --replay FILE...  play hid-recorder recordings as devices, each from its\n"
                 "                  first open, through the whole agent, then exit\n"
                 "  --fast          with --replay: play without waiting for the recorded times\n"
                 "  --print-events  print every event, one line each, instead of posting it;\n"
                 "                  without --replay, read the companion through hidraw until\n"
                 "                  interrupted\n"
                 "Exit status: 0, or 2 for a bad option or a malformed recording.\n");
}

int usageError(const std::string& message) {
    std::fprintf(stderr, "drawlume-agent: %s\n", message.c_str());
    printUsage(stderr);
    return 2;
}

// Sets up logging, writes the start lines and reports the input permission.
int writeStartLines() {
    const auto fileLogger = drawlume::setupLogging();
    drawlume::logSystemInformation(drawlume::readSystemInformation());

    // Without the permission the agent goes on: the user learns why and how
    // to fix it, in the log and here.
    drawlume::SystemInputNodeProbe probe;
    drawlume::LinuxAccessibilityTrust trust(probe);
    const drawlume::AccessibilityTrustState permission = trust.check();
    drawlume::logAccessibilityTrust(permission);
    std::fprintf(stderr, "drawlume-agent: %s\n",
                 drawlume::describeAccessibilityTrust(permission).c_str());

    drawlume::DDLog::sharedInstance().flushLog();
    std::printf("drawlume-agent: start lines written to the system log and to %s\n",
                fileLogger->currentLogFilePath().c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    bool printEvents = false;
    bool replay = false;
    bool fast = false;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        if (std::strcmp(argument, "--version") == 0) {
            std::printf("drawlume-agent %s (build %s)\n", DRAWLUME_VERSION, DRAWLUME_BUILD_NUMBER);
            return 0;
        }
        if (std::strcmp(argument, "--help") == 0) {
            printUsage(stdout);
            return 0;
        }
        if (std::strcmp(argument, "--print-events") == 0) {
            printEvents = true;
        } else if (std::strcmp(argument, "--fast") == 0) {
            fast = true;
        } else if (std::strcmp(argument, "--replay") == 0) {
            replay = true;
            while (i + 1 < argc && std::strncmp(argv[i + 1], "--", 2) != 0) {
                files.emplace_back(argv[++i]);
            }
        } else {
            return usageError(std::string("unknown option ") + argument);
        }
    }
    if (replay && files.empty()) {
        return usageError("--replay needs at least one recording");
    }
    if (fast && !replay) {
        return usageError("--fast goes with --replay");
    }
    if (replay) {
        return drawlume::runReplayCommand(files, fast, printEvents);
    }
    if (printEvents) {
        return drawlume::runPrintEventsCommand();
    }
    return writeStartLines();
}
