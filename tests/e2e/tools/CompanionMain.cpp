// e2e_companion: a simulated companion for the VM tests. Creates the device through
// /dev/uhid (Bluetooth bus, the tests' descriptor), waits for its hidraw node and
// evdev twins, tells a waiting script through a ready file, plays the given scripts
// and removes the device when done.
//
//   e2e_companion --descriptor FILE [--name NAME] [--uniq ADDRESS] [--ready FILE]
//                 [--twins N] [--timeout-ms MS] [SCRIPT...]
// --twins: how many evdev nodes the kernel makes of the descriptor (3, the
// companion's, by default); another device's descriptor makes another count.

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "CompanionDescriptor.hpp"
#include "ScriptPlayer.hpp"

using namespace drawlume::e2e;

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: e2e_companion --descriptor FILE [--name NAME] [--uniq ADDRESS] "
                 "[--ready FILE] [--twins N] [--timeout-ms MS] [SCRIPT...]\n");
    return 2;
}

}  // namespace

// The options, then the one run the tool makes, in order.
// NOLINTNEXTLINE(readability-function-size)
int main(int argc, char** argv) {
    std::string descriptorPath;
    std::string readyPath;
    UhidCompanion::Identity identity;
    long timeoutMs = 5000;
    size_t twinCount = kCompanionTwinCount;
    std::vector<std::string> scripts;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--descriptor" && hasValue) {
            descriptorPath = argv[++i];
        } else if (arg == "--name" && hasValue) {
            identity.name = argv[++i];
        } else if (arg == "--uniq" && hasValue) {
            identity.uniq = argv[++i];
        } else if (arg == "--ready" && hasValue) {
            readyPath = argv[++i];
        } else if (arg == "--timeout-ms" && hasValue) {
            timeoutMs = std::strtol(argv[++i], nullptr, 10);
        } else if (arg == "--twins" && hasValue) {
            twinCount = std::strtoul(argv[++i], nullptr, 10);
        } else if (arg.rfind("--", 0) == 0) {
            return usage();
        } else {
            scripts.push_back(arg);
        }
    }
    if (descriptorPath.empty()) {
        return usage();
    }

    std::string error;
    std::vector<ScriptStep> steps;
    for (const std::string& script : scripts) {
        if (!readScriptFile(script, steps, error)) {
            std::fprintf(stderr, "e2e_companion: %s\n", error.c_str());
            return 2;
        }
    }
    const std::vector<uint8_t> descriptor = readDescriptorFile(descriptorPath, error);
    if (descriptor.empty()) {
        std::fprintf(stderr, "e2e_companion: %s\n", error.c_str());
        return 2;
    }

    UhidCompanion companion;
    CompanionNodes nodes;
    if (!createCompanion(companion, identity, descriptor, Deadline::afterMs(timeoutMs), nodes,
                         error, twinCount)) {
        std::fprintf(stderr, "e2e_companion: %s\n", error.c_str());
        return 1;
    }
    std::fprintf(stderr, "e2e_companion: %s at %s, %s\n", identity.uniq.c_str(),
                 nodes.hidPath.c_str(), nodes.hidraw.c_str());
    if (!readyPath.empty()) {
        std::ofstream(readyPath) << nodes.hidPath << "\n";
    }
    if (!playScript(companion, steps, {}, error)) {
        std::fprintf(stderr, "e2e_companion: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
