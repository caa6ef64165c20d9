#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "CheckReporter.hpp"
#include "ScriptPlayer.hpp"

namespace drawlume::e2e {

// What the kernel checks share: the companion's descriptor and the data folder with
// the companion scripts (scripts/<name>.txt) and the frames the kernel's own
// hid-input makes of them on the twins (expected/twin/<name>.frames).
struct KernelCheckContext {
    std::vector<uint8_t> descriptor;
    std::string dataDir;

    std::string scriptPath(const std::string& name) const {
        return dataDir + "/scripts/" + name + ".txt";
    }
    std::string twinFramesPath(const std::string& name) const {
        return dataDir + "/expected/twin/" + name + ".frames";
    }
};

// The companion appears with hidraw and twins, reports arrive byte-exact on hidraw,
// hid-input's frames on the twins, removal releases what was held and re-add works.
void runCompanionChecks(CheckReporter& reporter, const KernelCheckContext& context);

// A grab on the twins silences them for every other reader, not for hidraw.
void runGrabCheck(CheckReporter& reporter, const KernelCheckContext& context);

// uinput pen, pointer and keyboard devices are created and their frames read back.
void runUinputCheck(CheckReporter& reporter, const KernelCheckContext& context);

}  // namespace drawlume::e2e
