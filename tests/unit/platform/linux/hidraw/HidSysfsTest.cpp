#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TempDirectory.hpp"
#include "platform/linux/hidraw/HidSysfs.hpp"

namespace drawlume {
namespace {

namespace fs = std::filesystem;
using testing::TempDirectory;
using testing::writeFile;

// A copy of the parts of sysfs the host reads: a USB pad with two evdev
// twins (and a mouse node, which is no twin), and a companion made through uhid.
class HidSysfsTest : public ::testing::Test {
protected:
    void SetUp() override {
        usbHid_ = root_.path() / "devices/pci0000:00/usb1/1-1/1-1:1.0/0003:1234:ABCD.0001";
        fs::create_directories(usbHid_ / "input/input5/event3");
        fs::create_directories(usbHid_ / "input/input5/mouse0");
        fs::create_directories(usbHid_ / "input/input6/event4");
        fs::create_directories(usbHid_ / "hidraw/hidraw0");
        writeFile(usbHid_ / "input/input5/event3/uevent",
                  "MAJOR=13\nMINOR=67\nDEVNAME=input/event3\n");
        writeFile(usbHid_ / "input/input5/mouse0/uevent", "DEVNAME=input/mouse0\n");
        writeFile(usbHid_ / "input/input6/event4/uevent",
                  "MAJOR=13\nMINOR=68\nDEVNAME=input/event4\n");

        bluetoothHid_ = root_.path() / "devices/virtual/misc/uhid/0005:0000:0000.0002";
        fs::create_directories(bluetoothHid_);
        writeFile(bluetoothHid_ / "uevent", "HID_ID=0005:00000000:00000000\nHID_NAME=Companion\n");
    }

    TempDirectory root_;
    fs::path usbHid_;
    fs::path bluetoothHid_;
};

TEST_F(HidSysfsTest, ReportDescriptorIsReadWholeThroughItsNulBytes) {
    const std::string bytes("\x05\x0d\x09\x02\xa1\x01\x15\x00\x25\x01\xc0", 11);
    writeFile(usbHid_ / "report_descriptor", bytes);
    const auto descriptor = HidSysfs::readReportDescriptor(usbHid_);
    ASSERT_TRUE(descriptor);
    EXPECT_EQ(std::string(descriptor->begin(), descriptor->end()), bytes);
    EXPECT_FALSE(HidSysfs::readReportDescriptor(bluetoothHid_));  // no such attribute
}

TEST_F(HidSysfsTest, EvdevTwinsAreTheEventNodesOfEveryInputDevice) {
    EXPECT_EQ(HidSysfs::evdevTwinNodes(usbHid_),
              (std::vector<std::string>{"/dev/input/event3", "/dev/input/event4"}));
    EXPECT_EQ(HidSysfs::evdevTwinNodes(usbHid_, "/run/dev"),
              (std::vector<std::string>{"/run/dev/input/event3", "/run/dev/input/event4"}));
    EXPECT_TRUE(HidSysfs::evdevTwinNodes(bluetoothHid_).empty());
}

}  // namespace
}  // namespace drawlume
