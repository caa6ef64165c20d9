#pragma once

#include <optional>
#include <utility>

#include "services/EventOutput.hpp"

namespace drawlume {

// An event output for tests: fails with whatever state it was given, or
// opens; counts the creations and removals.
class FakeEventOutput final : public EventOutput {
public:
    std::optional<AccessibilityTrustState> open() override {
        if (failure) {
            return failure;
        }
        if (!isOpen) {
            isOpen = true;
            ++opens;
        }
        return std::nullopt;
    }
    void close() override {
        if (isOpen) {
            isOpen = false;
            ++closes;
        }
    }

    std::optional<AccessibilityTrustState> failure;
    bool isOpen = false;
    int opens = 0;
    int closes = 0;
};

}  // namespace drawlume
