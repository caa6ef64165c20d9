#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TempDirectory.hpp"
#include "TestData.hpp"
#include "platform/linux/hidraw/CompanionNodeCheck.hpp"

namespace drawlume {
namespace {

namespace fs = std::filesystem;
using testing::hexBytes;
using testing::readFile;
using testing::TempDirectory;
using testing::testDataPath;
using testing::writeFile;

// A Bluetooth HID device in a copy of sysfs, with its hidraw node and an
// evdev node below it, as udev names them to the companion check.
struct BluetoothHidDevice {
    fs::path hid;
    fs::path hidraw;
    fs::path event;
};

BluetoothHidDevice makeDevice(const fs::path& root, const std::string& name,
                              const std::vector<uint8_t>& descriptor) {
    const fs::path hid = root / "devices/virtual/misc/uhid" / ("0005:1234:5678." + name);
    BluetoothHidDevice device{hid, hid / "hidraw/hidraw0", hid / "input/input7/event7"};
    fs::create_directories(device.hidraw);
    fs::create_directories(device.event);
    writeFile(hid / "report_descriptor", std::string(descriptor.begin(), descriptor.end()));
    return device;
}

std::vector<uint8_t> listing(const std::string& name) {
    return hexBytes(readFile(testDataPath(name)));
}

TEST(CompanionNodeCheckTest, OnlyTheCompanionsNodesAreTheCompanions) {
    TempDirectory root;
    const auto companion = makeDevice(root.path(), "0001", listing("companion-descriptor.txt"));
    EXPECT_TRUE(isCompanionNode(companion.hidraw));
    EXPECT_TRUE(isCompanionNode(companion.event));

    // The user's other Bluetooth input devices, and pen digitizers.
    for (const char* other : {"bluetooth/keyboard.txt", "bluetooth/mouse.txt",
                              "bluetooth/gamepad.txt", "digitizers/touch-screen-with-pen.txt",
                              "digitizers/usb-pen-display.txt", "digitizers/laptop-pen.txt",
                              "digitizers/whiteboard.txt", "digitizers/drawing-tablet.txt"}) {
        TempDirectory tree;
        const auto device = makeDevice(tree.path(), "0002", listing(other));
        EXPECT_FALSE(isCompanionNode(device.hidraw)) << other;
        EXPECT_FALSE(isCompanionNode(device.event)) << other;
    }
}

TEST(CompanionNodeCheckTest, WhatCannotBeReadIsNotTheCompanion) {
    TempDirectory root;
    std::vector<uint8_t> cut = listing("companion-descriptor.txt");
    cut.resize(cut.size() / 2);
    EXPECT_FALSE(isCompanionNode(makeDevice(root.path(), "0003", cut).hidraw));
    EXPECT_FALSE(isCompanionNode(makeDevice(root.path(), "0004", {}).hidraw));
    const auto unreadable = makeDevice(root.path(), "0005", listing("companion-descriptor.txt"));
    fs::remove(unreadable.hid / "report_descriptor");
    fs::create_directory(unreadable.hid / "report_descriptor");
    EXPECT_FALSE(isCompanionNode(unreadable.hidraw));
    EXPECT_FALSE(isCompanionNode(root.path() / "no/such/node"));
    EXPECT_FALSE(isCompanionNode(""));
}

}  // namespace
}  // namespace drawlume
