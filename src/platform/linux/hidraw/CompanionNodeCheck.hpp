#pragma once

#include <filesystem>

namespace drawlume {

// Whether a device node in sysfs (a hidraw node, or an evdev node the
// kernel made for a HID device) belongs to a companion: the nearest hid
// device above it has a report descriptor that passes companionMismatch.
// Anything that cannot be read or parsed is not the companion. Only plain
// reads of sysfs files: it never blocks on a device.
bool isCompanionNode(const std::filesystem::path& sysfsDevice);

}  // namespace drawlume
