#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace drawlume {

// The key=value lines of a sysfs device's uevent file.
using UeventFields = std::map<std::string, std::string, std::less<>>;

// The strings a USB device gives about itself; empty where it gives none.
struct UsbStrings {
    std::string manufacturer;
    std::string product;
    std::string serial;
};

// What the agent reads of a hid device in sysfs. Plain file reads under the
// device's directory, so that they can be tried on a copy of the tree.
class HidSysfs {
public:
    static std::optional<UeventFields> readUevent(const std::filesystem::path& deviceDirectory);
    // The whole report_descriptor attribute. libudev's attribute reader stops
    // at the first NUL byte, which most descriptors contain, so it is read here.
    static std::optional<std::vector<uint8_t>> readReportDescriptor(
        const std::filesystem::path& hidDirectory);
    // The strings of the USB device above the hid device; nothing for a
    // device without a USB parent (Bluetooth, uhid).
    static std::optional<UsbStrings> readUsbStrings(const std::filesystem::path& hidDirectory);
    // The evdev nodes that the kernel's hid-input made for the hid device
    // ("/dev/input/event5"), sorted.
    static std::vector<std::string> evdevTwinNodes(const std::filesystem::path& hidDirectory,
                                                   const std::filesystem::path& devRoot = "/dev");
};

}  // namespace drawlume
