#pragma once

#include <cstdint>
#include <optional>

namespace drawlume {

// The HID system's pointer parameters, as far as acceleration cares: whether
// the system asks for linear scaling of mouse motion. Asked at the start of
// every burst of relative motion, never per move.
class HidSystemParameters {
public:
    virtual ~HidSystemParameters() = default;

    // The system's linear-scaling flag for mouse acceleration when it has one
    // that is an integer; nothing when there is no such service, no parameter
    // or a value of another type. Non-zero means "do not accelerate".
    virtual std::optional<int64_t> linearScalingMouseAcceleration() const = 0;
};

}  // namespace drawlume
