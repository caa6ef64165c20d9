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

// A copy of the parts of sysfs the host reads: a USB keyboard-pad with two
// evdev twins, and a Bluetooth LE companion made through uhid.
class HidSysfsTest : public ::testing::Test {
protected:
    void SetUp() override {
        usbDevice_ = root_.path() / "devices/pci0000:00/usb1/1-1";
        usbHid_ = usbDevice_ / "1-1:1.0/0003:1234:ABCD.0001";
        fs::create_directories(usbHid_ / "input/input5/event3");
        fs::create_directories(usbHid_ / "input/input5/mouse0");
        fs::create_directories(usbHid_ / "input/input6/event4");
        fs::create_directories(usbHid_ / "hidraw/hidraw0");
        writeFile(usbDevice_ / "uevent",
                  "MAJOR=189\nDEVTYPE=usb_device\nDEVNAME=bus/usb/001/002\n");
        writeFile(usbDevice_ / "manufacturer", "Acme\n");
        writeFile(usbDevice_ / "product", "Pad Pro\n");
        writeFile(usbDevice_ / "serial", "SN-77\n");
        writeFile(usbDevice_ / "1-1:1.0/uevent", "DEVTYPE=usb_interface\nINTERFACE=3/0/0\n");
        writeFile(usbHid_ / "uevent",
                  "DRIVER=hid-generic\nHID_ID=0003:00001234:0000ABCD\nHID_NAME=Acme Pad Pro\n"
                  "HID_PHYS=usb-0000:00:14.0-1/input0\nHID_UNIQ=\nMODALIAS=hid:b0003\n");
        writeFile(usbHid_ / "input/input5/event3/uevent",
                  "MAJOR=13\nMINOR=67\nDEVNAME=input/event3\n");
        writeFile(usbHid_ / "input/input5/mouse0/uevent", "DEVNAME=input/mouse0\n");
        writeFile(usbHid_ / "input/input6/event4/uevent",
                  "MAJOR=13\nMINOR=68\nDEVNAME=input/event4\n");

        bluetoothHid_ = root_.path() / "devices/virtual/misc/uhid/0005:0000:0000.0002";
        fs::create_directories(bluetoothHid_);
        writeFile(root_.path() / "devices/virtual/misc/uhid/uevent", "MAJOR=10\nDEVNAME=uhid\n");
        writeFile(bluetoothHid_ / "uevent", "HID_ID=0005:00000000:00000000\nHID_NAME=Companion\n");
    }

    TempDirectory root_;
    fs::path usbDevice_;
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

TEST_F(HidSysfsTest, UeventFieldsKeepEmptyValuesAndEqualsSignsInValues) {
    writeFile(bluetoothHid_ / "uevent", "HID_UNIQ=\nHID_NAME=a=b\nnot a field\nLAST=x");
    const auto fields = HidSysfs::readUevent(bluetoothHid_);
    ASSERT_TRUE(fields);
    EXPECT_EQ(*fields, (UeventFields{{"HID_UNIQ", ""}, {"HID_NAME", "a=b"}, {"LAST", "x"}}));
    EXPECT_FALSE(HidSysfs::readUevent(root_.path() / "missing"));
}

TEST_F(HidSysfsTest, UsbStringsComeFromTheUsbDeviceAboveTheInterface) {
    const auto strings = HidSysfs::readUsbStrings(usbHid_);
    ASSERT_TRUE(strings);
    EXPECT_EQ(strings->manufacturer, "Acme");
    EXPECT_EQ(strings->product, "Pad Pro");
    EXPECT_EQ(strings->serial, "SN-77");
    // A uhid device has no USB parent, however far up one looks.
    EXPECT_FALSE(HidSysfs::readUsbStrings(bluetoothHid_));
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
