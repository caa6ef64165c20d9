#include <gtest/gtest.h>

#include "platform/linux/hidraw/HidrawProperties.hpp"

namespace drawlume {
namespace {

// The properties the device manager and the window show, from the hid
// device's uevent and its descriptor.
TEST(HidrawPropertiesTest, BluetoothCompanionIsNamedByItsHidFields) {
    ReportDescriptor descriptor;
    descriptor.applicationCollections = {{0x0D, 0x02}};
    descriptor.usesReportIDs = true;
    descriptor.maxInputReportSize = 12;
    const UeventFields uevent{{"HID_ID", "0005:0000046D:0000B01A"},
                              {"HID_NAME", "Acme Companion"},
                              {"HID_UNIQ", "aa:bb:cc:dd:ee:ff"}};
    EXPECT_EQ(hidrawProperties(uevent, std::nullopt, descriptor),
              (HidPropertyMap{{"VendorID", int64_t{0x046D}},
                              {"ProductID", int64_t{0xB01A}},
                              {"Transport", std::string("Bluetooth")},
                              {"Product", std::string("Acme Companion")},
                              {"SerialNumber", std::string("aa:bb:cc:dd:ee:ff")},
                              {"MaxInputReportSize", int64_t{12}}}));
}

}  // namespace
}  // namespace drawlume
