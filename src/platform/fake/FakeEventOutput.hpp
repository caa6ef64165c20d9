#pragma once

#include <optional>
#include <utility>
#include <vector>

#include "services/EventOutput.hpp"

namespace drawlume {

// An event output for tests: fails with whatever state it was given, or
// opens; counts the creations and removals, records the pen's displays.
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

    PenDisplayMapping mapPenToDisplay(int64_t screenIndex) override {
        penDisplays.push_back(screenIndex);
        return penMapping;
    }

    std::optional<AccessibilityTrustState> failure;
    PenDisplayMapping penMapping = PenDisplayMapping::wholeDesktop;
    std::vector<int64_t> penDisplays;
    bool isOpen = false;
    int opens = 0;
    int closes = 0;
};

}  // namespace drawlume
