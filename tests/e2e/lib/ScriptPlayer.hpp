#pragma once

#include <functional>
#include <string>
#include <vector>

#include "CompanionScript.hpp"
#include "SysfsNodes.hpp"
#include "UhidCompanion.hpp"

namespace drawlume::e2e {

// The companion's hidraw node plus hid-input's Mouse, Keyboard and Stylus twins.
constexpr size_t kCompanionTwinCount = 3;

// Creates the companion (or another device, with its own count of twins) and waits
// until its hidraw node and twins are all there: reports sent earlier may be lost.
bool createCompanion(UhidCompanion& companion, const UhidCompanion::Identity& identity,
                     const std::vector<uint8_t>& descriptor, const Deadline& deadline,
                     CompanionNodes& nodes, std::string& error,
                     size_t twinCount = kCompanionTwinCount);

// Plays a script on a companion. `afterReport` (may be empty) runs after each report
// is written, for readers in the same process that must keep their queues short.
// `afterAdd` runs once a re-added companion's nodes are all there.
struct ScriptHooks {
    std::function<void()> afterReport;
    std::function<void(const CompanionNodes&)> afterAdd;
};

bool playScript(UhidCompanion& companion, const std::vector<ScriptStep>& steps,
                const ScriptHooks& hooks, std::string& error);

}  // namespace drawlume::e2e
