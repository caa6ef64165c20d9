#include "platform/linux/session/LinuxAccessibilityTrust.hpp"

#include <cerrno>
#include <utility>

namespace drawlume {

LinuxAccessibilityTrust::LinuxAccessibilityTrust(InputNodeProbe& probe, std::string uinputPath)
    : probe_(probe), uinputPath_(std::move(uinputPath)) {}

AccessibilityTrustState LinuxAccessibilityTrust::check() {
    AccessibilityTrustState state;
    state.path = uinputPath_;
    state.error = probe_.openForWriting(uinputPath_);
    switch (state.error) {
        case 0:
            break;
        // No node, or a node without the driver behind it: the module is not loaded.
        case ENOENT:
        case ENODEV:
        case ENXIO:
            state.reason = AccessibilityTrustReason::outputMissing;
            return state;
        case EACCES:
        case EPERM:
            state.reason = AccessibilityTrustReason::outputDenied;
            state.group = probe_.owningGroup(uinputPath_);
            return state;
        default:
            state.reason = AccessibilityTrustReason::outputFailed;
            return state;
    }
    state.trusted = true;
    state.reason = AccessibilityTrustReason::granted;
    for (const std::string& node : probe_.companionNodes()) {
        if (const int error = probe_.checkReadable(node); error != 0) {
            state.reason = AccessibilityTrustReason::companionUnreadable;
            state.path = node;
            state.error = error;
            state.group = probe_.owningGroup(node);
            break;
        }
    }
    return state;
}

}  // namespace drawlume
