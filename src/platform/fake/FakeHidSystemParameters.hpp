#pragma once

#include <cstdint>
#include <optional>

#include "events/HidSystemParameters.hpp"

namespace drawlume {

// A linear-scaling flag that tests set between bursts; nothing stands for a
// system without the flag.
class FakeHidSystemParameters final : public HidSystemParameters {
public:
    std::optional<int64_t> linearScalingMouseAcceleration() const override {
        ++reads;
        return linearScaling;
    }

    std::optional<int64_t> linearScaling;
    mutable int reads = 0;
};

}  // namespace drawlume
