#pragma once

#include <functional>
#include <string>
#include <vector>

#include "System.hpp"

namespace drawlume::e2e {

// Finds device nodes the way the agent must: through their parents in sysfs, never
// by number. Without udevd in the virtual machine, sysfs and devtmpfs are all there
// is, and device numbers change with every add.

struct InputNode {
    std::string name;     // the input device's name, e.g. "<companion> Stylus"
    std::string sysPath;  // /sys/devices/.../inputN
    std::string devNode;  // /dev/input/eventK
};

struct CompanionNodes {
    std::string hidPath;           // /sys/devices/virtual/misc/uhid/0005:VVVV:PPPP.NNNN
    std::string hidraw;            // /dev/hidrawN
    std::vector<InputNode> twins;  // hid-input's evdev nodes of the same hid device

    // The twin whose name ends in " <suffix>" ("Mouse", "Keyboard", "Stylus"), or null.
    const InputNode* twin(const std::string& suffix) const;
};

// Waits until the hid device whose HID_UNIQ is `uniq` has its hidraw node and
// `twinCount` twins, each with its /dev node.
bool waitForCompanionNodes(const std::string& uniq, size_t twinCount, const Deadline& deadline,
                           CompanionNodes& nodes, std::string& error);

// Waits for exactly one input device named `name` whose sysfs path `accept` takes (an
// empty filter takes all), with its /dev node. uinput devices live under
// /sys/devices/virtual/input, hid-input's twins under their hid device.
using SysPathFilter = std::function<bool(const std::string& sysPath)>;
bool waitForInputDevice(const std::string& name, const SysPathFilter& accept,
                        const Deadline& deadline, InputNode& node, std::string& error);
SysPathFilter onlyUinputDevices();
SysPathFilter notUnder(const std::string& parent);

// One KEY=VALUE line of a sysfs uevent file, "" when absent.
std::string ueventValue(const std::string& ueventPath, const std::string& key);

// A whole small file, "" when unreadable; trailing newlines removed.
std::string readSmallFile(const std::string& path);

}  // namespace drawlume::e2e
