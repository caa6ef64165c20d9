#include <cstdio>
#include <cstring>

#include "app/AccessibilityTrust.hpp"
#include "app/StartupLogging.hpp"
#include "logging/DDLog.hpp"
#include "platform/linux/InputNodeProbe.hpp"
#include "platform/linux/LinuxAccessibilityTrust.hpp"
#include "platform/linux/LinuxSystemInformation.hpp"

namespace {

void printUsage(std::FILE* out) {
    std::fprintf(out,
                 "Usage: drawlume-agent [--version] [--help]\n"
                 "Sets up logging (system log and rotating files), writes the start lines, "
                 "checks the input permission and exits.\n");
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("drawlume-agent %s (build %s)\n", DRAWLUME_VERSION, DRAWLUME_BUILD_NUMBER);
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0) {
            printUsage(stdout);
            return 0;
        }
        std::fprintf(stderr, "drawlume-agent: unknown option %s\n", argv[i]);
        printUsage(stderr);
        return 2;
    }
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
