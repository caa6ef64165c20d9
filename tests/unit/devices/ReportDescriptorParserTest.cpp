#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestData.hpp"
#include "devices/ReportDescriptorParser.hpp"

namespace drawlume {
namespace {

using testing::hexBytes;

ReportDescriptorParser::Result parseListing(const std::string& listing) {
    return ReportDescriptorParser::parse(hexBytes(listing));
}

TEST(ReportDescriptorParserTest, CollectionsAndInputSizesOfDescriptors) {
    const struct {
        const char* name;
        std::string listing;
        std::vector<HidUsage> collections;
        uint32_t maxInputReportSize;
    } cases[] = {
        // Pen 11 payload bytes and the ID; mouse 6 and keyboard 9 are shorter.
        // The stylus nested in the pen collection is no application of its own.
        {"the companion",
         testing::readFile(testing::testDataPath("companion-descriptor.txt")),
         {{0x01, 0x02}, {0x01, 0x06}, {0x0D, 0x02}},
         12},
        // The class definition's boot keyboard: modifiers, reserved byte, LED
        // output and padding (not input), six keys; no report IDs, so no ID byte.
        {"boot keyboard",
         "05 01 09 06 a1 01 05 07 19 e0 29 e7 15 00 25 01 75 01 95 08 81 02 "
         "95 01 75 08 81 01 95 05 75 01 05 08 19 01 29 05 91 02 95 01 75 03 91 01 "
         "95 06 75 08 15 00 25 65 05 07 19 00 29 65 81 00 c0",
         {{0x01, 0x06}},
         8},
        {"a stray bit takes a whole byte",
         "05 0d 09 02 a1 01 75 01 95 09 81 02 c0",
         {{0x0D, 0x02}},
         2},
        {"an extended usage carries its page", "05 01 0b 02 00 0d 00 a1 01 c0", {{0x0D, 0x02}}, 0},
        // Local items do not outlive their main item; physical and nested
        // application collections are not top-level applications.
        {"locals end at the main item",
         "05 0d 09 02 a1 00 a1 01 c0 c0 a1 01 c0",
         {{0x0D, 0x00}},
         0},
        // A long item whose data looks like a Collection must not open one.
        {"long items skipped whole", "fe 02 10 a1 01 05 0d 09 02 a1 01 c0", {{0x0D, 0x02}}, 0},
        // Push with ID 1 and 8-bit fields, ID 2 with 16-bit fields, pop: three
        // bytes of report 1 and the ID. Without the restore report 2 grows to 6.
        {"pop restores ID and size",
         "85 01 75 08 95 01 a4 85 02 75 10 81 02 b4 81 02 81 02 81 02",
         {},
         4},
    };
    for (const auto& c : cases) {
        const auto result = parseListing(c.listing);
        ASSERT_TRUE(result.descriptor) << c.name << ": " << result.error;
        EXPECT_EQ(result.descriptor->applicationCollections, c.collections) << c.name;
        EXPECT_EQ(result.descriptor->maxInputReportSize, c.maxInputReportSize) << c.name;
    }
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
        {"collection left open", "05 0d 09 02 a1 01", 6, "not closed"},
        {"end without collection", "a1 01 c0 c0", 3, "End Collection without"},
        {"push overflow", "a4 a4 a4 a4 a4", 4, "Push beyond"},
        {"report size", "76 01 01", 0, "Report Size 257"},
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

}  // namespace
}  // namespace drawlume
