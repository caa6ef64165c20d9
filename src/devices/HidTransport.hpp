#pragma once

#include <cstdint>
#include <string>

namespace drawlume {

// Bus numbers as the Linux input layer gives them (HID_ID, hid-recorder's I: line).
inline constexpr uint32_t kHidBusUsb = 0x03;
inline constexpr uint32_t kHidBusBluetooth = 0x05;
inline constexpr uint32_t kHidBusVirtual = 0x06;

// The "Transport" property of a device on this bus: part of the device id,
// so a device keeps its id only if this text never changes.
inline std::string transportForBus(uint32_t bus) {
    switch (bus) {
        case kHidBusUsb:
            return "USB";
        case kHidBusBluetooth:
            return "Bluetooth";
        case kHidBusVirtual:
            return "Virtual";
        default:
            return "Unknown";
    }
}

}  // namespace drawlume
