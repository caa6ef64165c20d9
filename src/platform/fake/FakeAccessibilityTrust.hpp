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

    AccessibilityTrustState check() override {
        ++checkCount_;
        return state_;
    }

    void grant() {
        state_ =
            AccessibilityTrustState{true, AccessibilityTrustReason::granted, "/dev/uinput", 0, ""};
    }
    void deny(AccessibilityTrustReason reason = AccessibilityTrustReason::outputDenied) {
        state_ = AccessibilityTrustState{false, reason, "/dev/uinput", EACCES, ""};
    }
    void setState(AccessibilityTrustState state) { state_ = std::move(state); }
    int checkCount() const { return checkCount_; }

private:
    AccessibilityTrustState state_;
    int checkCount_ = 0;
};

}  // namespace drawlume
