#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestData.hpp"
#include "devices/ReportDescriptorParser.hpp"

namespace drawlume {
namespace {

using testing::companionDescriptorBytes;
using testing::hexBytes;

ReportDescriptorParser::Result parseListing(const std::string& listing) {
    const std::vector<uint8_t> bytes = hexBytes(listing);
    return ReportDescriptorParser::parse(bytes);
}

// The boot keyboard of the HID class definition (appendix B.1): no report IDs, an
// 8-byte input report and a 1-byte LED output report.
const char* const kBootKeyboard = R"(
05 01   # Usage Page (Generic Desktop)
09 06   # Usage (Keyboard)
a1 01   # Collection (Application)
05 07   #   Usage Page (Keyboard/Keypad)
19 e0   #   Usage Minimum (Left Control)
29 e7   #   Usage Maximum (Right GUI)
15 00   #   Logical Minimum (0)
25 01   #   Logical Maximum (1)
75 01   #   Report Size (1)
95 08   #   Report Count (8)
81 02   #   Input (Data, Variable, Absolute): modifier byte
95 01   #   Report Count (1)
75 08   #   Report Size (8)
81 01   #   Input (Constant): reserved byte
95 05   #   Report Count (5)
75 01   #   Report Size (1)
05 08   #   Usage Page (LEDs)
19 01   #   Usage Minimum (Num Lock)
29 05   #   Usage Maximum (Kana)
91 02   #   Output (Data, Variable, Absolute): LED report
95 01   #   Report Count (1)
75 03   #   Report Size (3)
91 01   #   Output (Constant): LED report padding
95 06   #   Report Count (6)
75 08   #   Report Size (8)
15 00   #   Logical Minimum (0)
25 65   #   Logical Maximum (101)
05 07   #   Usage Page (Keyboard/Keypad)
19 00   #   Usage Minimum (0)
29 65   #   Usage Maximum (101)
81 00   #   Input (Data, Array): six key usages
c0      # End Collection
)";

TEST(ReportDescriptorParserTest, CompanionHasThreeCollectionsAndTwelveBytePenReports) {
    const auto result = ReportDescriptorParser::parse(companionDescriptorBytes());
    ASSERT_TRUE(result.descriptor) << result.error;
    const ReportDescriptor& descriptor = *result.descriptor;
    EXPECT_EQ(descriptor.applicationCollections,
              (std::vector<HidUsage>{{0x01, 0x02}, {0x01, 0x06}, {0x0D, 0x02}}));
    EXPECT_TRUE(descriptor.hasApplicationCollection(0x0D, 0x02));
    EXPECT_FALSE(descriptor.hasApplicationCollection(0x0D, 0x20));  // the nested stylus
    EXPECT_TRUE(descriptor.usesReportIDs);
    EXPECT_EQ(descriptor.inputReportIDs, (std::vector<uint8_t>{1, 2, 3}));
    // Pen: 11 payload bytes and the ID; mouse 6 and keyboard 9 are shorter.
    EXPECT_EQ(descriptor.maxInputReportSize, 12u);
}

TEST(ReportDescriptorParserTest, BootKeyboardCountsInputOnlyAndNoIDByte) {
    const auto result = parseListing(kBootKeyboard);
    ASSERT_TRUE(result.descriptor) << result.error;
    EXPECT_EQ(result.descriptor->applicationCollections, (std::vector<HidUsage>{{0x01, 0x06}}));
    EXPECT_FALSE(result.descriptor->usesReportIDs);
    EXPECT_TRUE(result.descriptor->inputReportIDs.empty());
    EXPECT_EQ(result.descriptor->maxInputReportSize, 8u);
}

TEST(ReportDescriptorParserTest, AStrayBitStillTakesAWholeByte) {
    const auto odd = parseListing("05 0d 09 02 a1 01 75 01 95 09 81 02 c0");
    ASSERT_TRUE(odd.descriptor) << odd.error;
    EXPECT_EQ(odd.descriptor->maxInputReportSize, 2u);
}

TEST(ReportDescriptorParserTest, CollectionUsageTakesItsPageLikeTheKernel) {
    // An extended usage carries its own page.
    auto result = parseListing("05 01 0b 02 00 0d 00 a1 01 c0");
    ASSERT_TRUE(result.descriptor) << result.error;
    EXPECT_EQ(result.descriptor->applicationCollections, (std::vector<HidUsage>{{0x0D, 0x02}}));

    // A page given after the usage applies to it.
    result = parseListing("09 02 05 0d a1 01 c0");
    ASSERT_TRUE(result.descriptor) << result.error;
    EXPECT_EQ(result.descriptor->applicationCollections, (std::vector<HidUsage>{{0x0D, 0x02}}));

    // Only a Usage Minimum: it names the collection.
    result = parseListing("05 0d 19 02 29 03 a1 01 c0");
    ASSERT_TRUE(result.descriptor) << result.error;
    EXPECT_EQ(result.descriptor->applicationCollections, (std::vector<HidUsage>{{0x0D, 0x02}}));

    // Local items do not outlive their main item; physical collections and
    // nested application collections are not top-level applications.
    result = parseListing("05 0d 09 02 a1 00 a1 01 c0 c0 a1 01 c0");
    ASSERT_TRUE(result.descriptor) << result.error;
    EXPECT_EQ(result.descriptor->applicationCollections, (std::vector<HidUsage>{{0x0D, 0x00}}));
}

TEST(ReportDescriptorParserTest, PushAndPopRestoreReportIDAndSize) {
    // Push with ID 1 and 8-bit fields, switch to ID 2 with 16-bit fields, pop:
    // the next input is 8 bits more of report 1.
    const auto result = parseListing("85 01 75 08 95 01 a4 85 02 75 10 81 02 b4 81 02 81 02 81 02");
    ASSERT_TRUE(result.descriptor) << result.error;
    EXPECT_EQ(result.descriptor->inputReportIDs, (std::vector<uint8_t>{1, 2}));
    // Report 1: three bytes and the ID. Without the restore, report 2 would
    // have grown to 6 bytes.
    EXPECT_EQ(result.descriptor->maxInputReportSize, 4u);
}

TEST(ReportDescriptorParserTest, LongItemsAreSkippedWhole) {
    // A long item whose data looks like a Collection must not open one.
    const auto result = parseListing("fe 02 10 a1 01 05 0d 09 02 a1 01 c0");
    ASSERT_TRUE(result.descriptor) << result.error;
    EXPECT_EQ(result.descriptor->applicationCollections, (std::vector<HidUsage>{{0x0D, 0x02}}));
}

struct MalformedCase {
    const char* name;
    std::string listing;
    size_t offset;
    const char* errorPart;
};

TEST(ReportDescriptorParserTest, MalformedDescriptorsAreRejectedAtTheFaultyItem) {
    const std::vector<MalformedCase> cases = {
        {"truncated short item", "05 0d 26 ff", 2, "truncated item 0x26"},
        {"truncated long item header", "05 0d fe 04", 2, "truncated long item"},
        {"collection left open", "05 0d 09 02 a1 01", 6, "not closed"},
        {"end without collection", "a1 01 c0 c0", 3, "End Collection without"},
        {"push overflow", "a4 a4 a4 a4 a4", 4, "Push beyond"},
        {"pop without push", "a4 b4 b4", 2, "Pop without"},
        {"report size", "76 01 01", 0, "Report Size 257"},
        {"report count", "96 01 30", 0, "Report Count 12289"},
        {"report ID zero", "85 00", 0, "Report ID 0"},
        {"report too long", "76 00 01 96 00 30 81 02", 6, "longer than 16383 bytes"},
        {"reserved global tag", "05 01 c5 00", 2, "reserved global item tag 0xC"},
    };
    for (const MalformedCase& malformed : cases) {
        const auto result = parseListing(malformed.listing);
        EXPECT_FALSE(result.descriptor) << malformed.name;
        EXPECT_EQ(result.errorOffset, malformed.offset) << malformed.name;
        EXPECT_NE(result.error.find(malformed.errorPart), std::string::npos)
            << malformed.name << ": " << result.error;
    }

    const std::vector<uint8_t> huge(ReportDescriptorParser::kMaximumDescriptorSize + 1, 0);
    const auto result = ReportDescriptorParser::parse(huge);
    EXPECT_FALSE(result.descriptor);
    EXPECT_NE(result.error.find("longer than 4096"), std::string::npos);
}

TEST(ReportDescriptorParserTest, EveryCutOfTheCompanionDescriptorIsRejectedOrWhole) {
    // Fed byte by byte: a cut inside an item is truncated and a cut between
    // items leaves a collection open. Only cuts outside every collection are
    // descriptors themselves: after the Usage Page and Usage that precede the
    // mouse, then after the mouse and the next two items, then likewise after
    // the keyboard.
    const std::vector<uint8_t> bytes = companionDescriptorBytes();
    std::vector<size_t> collectionsOfAcceptedCuts;
    for (size_t length = 1; length < bytes.size(); ++length) {
        const auto result =
            ReportDescriptorParser::parse(std::span<const uint8_t>(bytes.data(), length));
        if (result.descriptor) {
            collectionsOfAcceptedCuts.push_back(result.descriptor->applicationCollections.size());
        } else {
            EXPECT_LE(result.errorOffset, length);
        }
    }
    EXPECT_EQ(collectionsOfAcceptedCuts, (std::vector<size_t>{0, 0, 1, 1, 1, 2, 2, 2}));
    EXPECT_TRUE(ReportDescriptorParser::parse(bytes).descriptor);
    // The empty descriptor is valid and presents nothing.
    const auto empty = ReportDescriptorParser::parse({});
    ASSERT_TRUE(empty.descriptor);
    EXPECT_TRUE(empty.descriptor->applicationCollections.empty());
    EXPECT_EQ(empty.descriptor->maxInputReportSize, 0u);
}

}  // namespace
}  // namespace drawlume
