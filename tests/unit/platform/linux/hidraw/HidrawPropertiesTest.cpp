#include <gtest/gtest.h>

#include "devices/HidTransport.hpp"
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

TEST(HidrawPropertiesTest, MissingOrMalformedHidIdLeavesIdsOutAndTransportUnknown) {
    for (const char* hidId : {"", "0005:46D", "0005:XYZ:0001", "0005:0001:0002:0003", "0006"}) {
        const HidPropertyMap properties =
            hidrawProperties(UeventFields{{"HID_ID", hidId}}, std::nullopt, twelveBytePen());
        EXPECT_EQ(properties.count("VendorID"), 0u) << hidId;
        EXPECT_EQ(findProperty(properties, "Transport"), HidPropertyValue(std::string("Unknown")))
            << hidId;
    }
    const auto virtualBus = parseHidId("0006:00001d6b:00000104");
    ASSERT_TRUE(virtualBus);
    EXPECT_EQ(virtualBus->bus, 6u);
    EXPECT_EQ(virtualBus->vendor, 0x1d6bu);
    EXPECT_EQ(virtualBus->product, 0x104u);
    EXPECT_EQ(transportForBus(0x18), "Unknown");  // I2C
}

}  // namespace
}  // namespace drawlume
