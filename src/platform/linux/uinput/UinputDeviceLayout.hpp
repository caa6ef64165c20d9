#pragma once

#include <cstdint>
#include <span>

#include "platform/linux/uinput/UinputWriter.hpp"

namespace drawlume {

// Ranges shared by the layouts and the sink that fills them.
inline constexpr int32_t kUinputPositionMaximum = 32767;  // ABS_X, ABS_Y of pen and pointer
inline constexpr int32_t kUinputPressureMaximum = 4095;
inline constexpr int32_t kUinputTiltLimit = 9000;        // hundredths of a degree, either side
inline constexpr int32_t kUinputRotationMaximum = 3599;  // tenths of a degree
// The ABS_Z value that libinput reports as rotation 0 (it adds 90 degrees).
inline constexpr int32_t kUinputRotationZero = 2700;

// One absolute axis with the values the kernel reports for it.
struct UinputAxis {
    uint16_t code = 0;
    int32_t minimum = 0;
    int32_t maximum = 0;
    int32_t resolution = 0;
    int32_t initialValue = 0;
};

// Everything a virtual device is created with. udev and libinput classify a
// device by these capabilities alone, so each role has only its own codes.
struct UinputDeviceLayout {
    UinputDeviceRole role = UinputDeviceRole::pen;
    const char* name = "";
    const char* phys = "";
    uint16_t bus = 0;
    uint16_t vendor = 0;
    uint16_t product = 0;
    uint16_t version = 0;
    std::span<const uint16_t> keys;
    std::span<const UinputAxis> absoluteAxes;
    std::span<const uint16_t> relativeAxes;
    std::span<const uint16_t> properties;
};

// The layout of a role; `motion` chooses between the absolute and the
// relative pointer and changes nothing for the other roles.
const UinputDeviceLayout& uinputDeviceLayout(UinputDeviceRole role,
                                             PointerMotion motion = PointerMotion::absolute);

}  // namespace drawlume
