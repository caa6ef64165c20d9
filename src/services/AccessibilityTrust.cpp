#include "services/AccessibilityTrust.hpp"

#include "logging/LogMacros.hpp"
#include "util/TextFormat.hpp"

namespace drawlume {

namespace {

constexpr const char* kLogFile = "Drawlume___Bluetooth_Agent/AccessibilityTrust";

constexpr const char* kRuleFix =
    "install the udev rule 70-drawlume-agent.rules (see the README: Input permissions) "
    "and log in again";

}  // namespace

std::string describeAccessibilityTrust(const AccessibilityTrustState& state) {
    switch (state.reason) {
        case AccessibilityTrustReason::granted:
            // Printing events needs no node at all.
            return state.path.empty()
                       ? std::string("Input permission granted: events are printed, not posted")
                       : strf("Input permission granted: %s opens for writing", state.path.c_str());
        case AccessibilityTrustReason::outputMissing:
            return strf(
                "Input permission missing: %s does not exist (the uinput module is not loaded). "
                "Fix: run \"sudo modprobe uinput\" and install the modules-load entry "
                "drawlume-agent.conf so that it loads at every boot",
                state.path.c_str());
        case AccessibilityTrustReason::outputDenied: {
            std::string text =
                strf("Input permission denied: %s cannot be opened for writing (%s). Fix: %s",
                     state.path.c_str(), errnoText(state.error).c_str(), kRuleFix);
            if (!state.group.empty()) {
                text += strf(", or add your user to the group \"%s\" that owns %s",
                             state.group.c_str(), state.path.c_str());
            }
            return text;
        }
        case AccessibilityTrustReason::outputFailed:
            return strf("Input permission missing: %s cannot be opened for writing (%s)",
                        state.path.c_str(), errnoText(state.error).c_str());
        case AccessibilityTrustReason::outputUnusable:
            return strf(
                "Input permission missing: %s opens for writing, but the virtual input devices "
                "cannot be created through it (%s). Fix: make sure that %s is the kernel's uinput "
                "node (\"ls -l %s\" shows a character device 10, 223) and that the uinput module "
                "is loaded (\"sudo modprobe uinput\")",
                state.path.c_str(), errnoText(state.error).c_str(), state.path.c_str(),
                state.path.c_str());
        case AccessibilityTrustReason::companionUnreadable:
            return strf(
                "Input permission granted, but the companion's device node %s cannot be read "
                "(%s). Fix: %s, then reconnect the companion",
                state.path.c_str(), errnoText(state.error).c_str(), kRuleFix);
    }
    return "Input permission: unknown state";
}

void logAccessibilityTrust(const AccessibilityTrustState& state) {
    if (state.reason == AccessibilityTrustReason::granted) {
        DDLogInfo("check()", describeAccessibilityTrust(state));
    } else {
        DDLogWarn("check()", describeAccessibilityTrust(state));
    }
}

}  // namespace drawlume
