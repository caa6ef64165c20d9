#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "devices/HidDevice.hpp"
#include "devices/ReportDescriptor.hpp"
#include "platform/linux/hidraw/HidSysfs.hpp"

namespace drawlume {

// Bus, vendor and product of a hid device's HID_ID ("0005:0000046D:0000B01A").
struct HidIdentity {
    uint32_t bus = 0;
    uint32_t vendor = 0;
    uint32_t product = 0;
};

std::optional<HidIdentity> parseHidId(std::string_view hidId);

// The host properties of a hidraw device, from its hid device's uevent
// (HID_ID, HID_NAME, HID_UNIQ), the USB strings where it has a USB parent,
// and its report descriptor. A property the device does not give is absent.
HidPropertyMap hidrawProperties(const UeventFields& hidUevent,
                                const std::optional<UsbStrings>& usbStrings,
                                const ReportDescriptor& descriptor);

}  // namespace drawlume
