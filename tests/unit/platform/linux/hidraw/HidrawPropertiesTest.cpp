#include <gtest/gtest.h>

#include "platform/linux/hidraw/HidrawProperties.hpp"

namespace drawlume {
namespace {

ReportDescriptor twelveBytePen() {
    ReportDescriptor descriptor;
    descriptor.applicationCollections = {{0x0D, 0x02}};
    descriptor.usesReportIDs = true;
    descriptor.maxInputReportSize = 12;
    return descriptor;
}

TEST(HidrawPropertiesTest, BluetoothCompanionIsNamedByItsHidFields) {
    const UeventFields uevent{{"HID_ID", "0005:0000046D:0000B01A"},
                              {"HID_NAME", "Acme Companion"},
                              {"HID_UNIQ", "aa:bb:cc:dd:ee:ff"}};
    const HidPropertyMap properties = hidrawProperties(uevent, std::nullopt, twelveBytePen());
    EXPECT_EQ(properties, (HidPropertyMap{{"VendorID", int64_t{0x046D}},
                                          {"ProductID", int64_t{0xB01A}},
                                          {"Transport", std::string("Bluetooth")},
                                          {"Product", std::string("Acme Companion")},
                                          {"SerialNumber", std::string("aa:bb:cc:dd:ee:ff")},
                                          {"MaxInputReportSize", int64_t{12}}}));
}

}  // namespace
}  // namespace drawlume
