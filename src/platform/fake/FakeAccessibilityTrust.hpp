#pragma once

#include <cerrno>
#include <utility>

#include "services/AccessibilityTrust.hpp"

namespace drawlume {

// A permission switch for tests: answers with whatever state it was last given
// and counts how often it was asked.
class FakeAccessibilityTrust final : public AccessibilityTrust {
public:
    FakeAccessibilityTrust() { grant(); }

    AccessibilityTrustState check() override { return state_; }

    void grant() {
        state_ =
            AccessibilityTrustState{true, AccessibilityTrustReason::granted, "/dev/uinput", 0, ""};
    }
    void deny(AccessibilityTrustReason reason = AccessibilityTrustReason::outputDenied) {
        state_ = AccessibilityTrustState{false, reason, "/dev/uinput", EACCES, ""};
    }

private:
    AccessibilityTrustState state_;
};

}  // namespace drawlume
