#pragma once

#include <functional>
#include <string>
#include <vector>

#include "Deadline.hpp"

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

// The hid device whose HID_UNIQ is `uniq`, or "" when there is none.
std::string findHidDevice(const std::string& uniq);

// Reads the hidraw node and the twins of a hid device as they are now.
CompanionNodes readCompanionNodes(const std::string& hidPath);

// Waits until the companion with `uniq` has its hidraw node and `twinCount` twins,
// each with its /dev node. Returns false and sets `error` when the deadline passes.
bool waitForCompanionNodes(const std::string& uniq, size_t twinCount, const Deadline& deadline,
                           CompanionNodes& nodes, std::string& error);

// Waits until no hid device has HID_UNIQ `uniq` and `devNodes` are gone.
bool waitForCompanionGone(const std::string& uniq, const std::vector<std::string>& devNodes,
                          const Deadline& deadline, std::string& error);

// The evdev node of an input device, given its sysfs directory ("" when it has none yet).
std::string eventNodeOf(const std::string& inputSysPath);

// Waits until an input device has its evdev node in /dev.
bool waitForEventNode(const std::string& inputSysPath, const Deadline& deadline, std::string& node,
                      std::string& error);

// Input devices named `name` whose sysfs path `accept` takes (an empty filter takes
// all). uinput devices live under /sys/devices/virtual/input, hid-input's twins
// under their hid device.
using SysPathFilter = std::function<bool(const std::string& sysPath)>;
std::vector<InputNode> findInputDevices(const std::string& name, const SysPathFilter& accept = {});

// Waits for exactly one such device with its /dev node.
bool waitForInputDevice(const std::string& name, const SysPathFilter& accept,
                        const Deadline& deadline, InputNode& node, std::string& error);

// Filters for the above.
SysPathFilter onlyUinputDevices();
SysPathFilter notUnder(const std::string& parent);

// One KEY=VALUE line of a sysfs uevent file, "" when absent.
std::string ueventValue(const std::string& ueventPath, const std::string& key);

// A whole small file, "" when unreadable; trailing newlines removed.
std::string readSmallFile(const std::string& path);

}  // namespace drawlume::e2e
