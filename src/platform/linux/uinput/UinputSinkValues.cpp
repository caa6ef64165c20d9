#include "platform/linux/uinput/UinputSinkValues.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/linux/uinput/UinputDeviceLayout.hpp"

namespace drawlume {

namespace {

int32_t roundedWithin(double value, int32_t minimum, int32_t maximum) {
    if (std::isnan(value)) {
        return minimum;
    }
    return static_cast<int32_t>(
        std::clamp(std::round(value), static_cast<double>(minimum), static_cast<double>(maximum)));
}

}  // namespace

int32_t roundedInt32(double value) {
    return roundedWithin(value, std::numeric_limits<int32_t>::min(),
                         std::numeric_limits<int32_t>::max());
}

int32_t touchPressureValue(double pressure) {
    constexpr int32_t kLiftThreshold = kUinputPressureMaximum / 100;
    constexpr int32_t kTouchThreshold = kUinputPressureMaximum / 20;
    const double clamped = std::isnan(pressure) ? 0.0 : std::clamp(pressure, 0.0, 1.0);
    return roundedWithin(kLiftThreshold + clamped * (kUinputPressureMaximum - kLiftThreshold),
                         kTouchThreshold, kUinputPressureMaximum);
}

int32_t tiltValue(double tilt) {
    if (std::isnan(tilt)) {
        return 0;
    }
    return roundedWithin(tilt * kUinputTiltLimit, -kUinputTiltLimit, kUinputTiltLimit);
}

int32_t rotationValue(double degrees) {
    if (!std::isfinite(degrees)) {
        return kUinputRotationZero;
    }
    double turned = std::fmod(degrees + 270.0, 360.0);
    if (turned < 0.0) {
        turned += 360.0;
    }
    const auto value = static_cast<int32_t>(std::lround(turned * 10.0));
    return value > kUinputRotationMaximum ? value - (kUinputRotationMaximum + 1) : value;
}

int32_t highResolutionWheel(int64_t lines) {
    return clampToInt32(lines * 120);
}

int32_t clampToInt32(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

}  // namespace drawlume
