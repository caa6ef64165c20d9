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

// The nearest hid device's descriptor decides for both kinds of node. Which
// other devices' descriptors are refused, the descriptor check's own tests
// pin, and the VM run through udev (a Bluetooth keyboard, a pen digitizer).
TEST(CompanionNodeCheckTest, OnlyTheCompanionsReadableNodesAreTheCompanions) {
    TempDirectory root;
    const std::vector<uint8_t> companion = listing("companion-descriptor.txt");
    const auto device = makeDevice(root.path(), "0001", companion);
    EXPECT_TRUE(isCompanionNode(device.hidraw));
    EXPECT_TRUE(isCompanionNode(device.event));
    EXPECT_FALSE(
        isCompanionNode(makeDevice(root.path(), "0002", listing("bluetooth/gamepad.txt")).event));

    // What cannot be read is not the companion.
    const std::vector<uint8_t> cut(companion.begin(), companion.begin() + companion.size() / 2);
    EXPECT_FALSE(isCompanionNode(makeDevice(root.path(), "0003", cut).hidraw));
    EXPECT_FALSE(isCompanionNode(makeDevice(root.path(), "0004", {}).hidraw));
    const auto unreadable = makeDevice(root.path(), "0005", companion);
    fs::remove(unreadable.hid / "report_descriptor");
    fs::create_directory(unreadable.hid / "report_descriptor");
    EXPECT_FALSE(isCompanionNode(unreadable.hidraw));
    EXPECT_FALSE(isCompanionNode(root.path() / "no/such/node"));
    EXPECT_FALSE(isCompanionNode(""));
}

}  // namespace
}  // namespace drawlume
