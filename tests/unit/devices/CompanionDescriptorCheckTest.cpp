#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestData.hpp"
#include "devices/CompanionDescriptorCheck.hpp"
#include "devices/ReportDescriptorParser.hpp"

namespace drawlume {
namespace {

using testing::hexBytes;
using testing::readFile;
using testing::testDataPath;

std::optional<std::string> mismatchOfListing(const std::string& listing) {
    const auto parsed = ReportDescriptorParser::parse(hexBytes(listing));
    EXPECT_TRUE(parsed.descriptor) << parsed.error;
    return parsed.descriptor ? companionMismatch(*parsed.descriptor)
                             : std::optional<std::string>("unparsed");
}

// The listing with `from` (one whole run of items, as the file writes them)
// replaced by `to`.
std::string edited(std::string listing, const std::string& from, const std::string& to) {
    const size_t at = listing.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? listing : listing.replace(at, from.size(), to);
}

// Each value the translation reads is compared: moving, resizing or
// renaming one refuses the device, with the report and value named. What the
// translation does not read, such as the horizontal wheel of the longer mouse
// report or other logical ranges, is not compared.
TEST(CompanionDescriptorCheckTest, EachValueReadIsComparedAndNamed) {
    const std::string companion = readFile(testDataPath("companion-descriptor.txt"));
    const std::string pan =
        "05 0c        #     Usage Page (Consumer)\n"
        "0a 38 02     #     Usage (AC Pan)\n"
        "95 01        #     Report Count (1)\n"
        "81 06        #     Input (Data, Variable, Relative): horizontal wheel\n";
    const struct {
        std::string from;
        std::string to;
        const char* reason;
    } cases[] = {
        {"", "", "accepted"},
        {pan, "", "accepted"},
        {"26 ff 7f", "26 ff 3f", "accepted"},
        {"85 03", "85 04", "no 12-byte pen report 3"},
        {"09 3e ", "09 3d ", "pen report 3 has no 8-bit y tilt at byte 9"},
        {"09 41 ", "09 3f ", "pen report 3 has no 16-bit twist at byte 10"},
        {"09 30        #     Usage (X)\n09 31", "09 31        #     Usage (X)\n09 30",
         "mouse report 1 has no 8-bit x at byte 2"},
        {"29 03 ", "29 02 ", "mouse report 1 has no 1-bit buttons 1 to 3 at byte 1"},
        {"95 06        #   Report Count (6)", "95 05        #   Report Count (5)",
         "no 9-byte keyboard report 2"},
        {"09 02        # Usage (Pen)", "09 01        # Usage (Digitizer)",
         "pen report 3 lies outside the pen collection"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(mismatchOfListing(edited(companion, c.from, c.to)).value_or("accepted"), c.reason)
            << c.from;
    }
}

}  // namespace
}  // namespace drawlume
