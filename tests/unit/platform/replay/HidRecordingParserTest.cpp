#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestData.hpp"
#include "platform/replay/HidRecordingParser.hpp"

namespace drawlume {
namespace {

TEST(HidRecordingParserTest, SeveralDevicesTimesAndComments) {
    const auto result = HidRecordingParser::parse(
        "# two devices\n"
        "D: 0\r\n"
        "R: 2 05 0d   # a comment after the numbers\n"
        "N: Pad #1\n"
        "D: 1\n"
        "R: 0\n"
        "I: 3 46d c52b\n"
        "D: 0\n"
        "E: 1.5 1 03\n"
        "E: 000001.500001 2 03 ff\n"
        "D: 1\n"
        "E: 000000.000000 1 01",
        "two.hid");
    ASSERT_TRUE(result.recording) << result.message();
    const auto& devices = result.recording->devices;
    ASSERT_EQ(devices.size(), 2u);
    EXPECT_EQ(devices[0].name, "Pad #1");  // names keep their '#'
    EXPECT_EQ(devices[0].descriptorBytes, (std::vector<uint8_t>{0x05, 0x0d}));
    ASSERT_EQ(devices[0].reports.size(), 2u);
    EXPECT_EQ(devices[0].reports[1].microseconds, 1500001);
    EXPECT_EQ(devices[0].reports[1].bytes, (std::vector<uint8_t>{0x03, 0xff}));
    EXPECT_EQ(devices[1].vendorID, 0x46du);
    EXPECT_EQ(devices[1].reports.size(), 1u);
}

struct BadRecording {
    std::string text;
    size_t line;
    const char* errorPart;
};

TEST(HidRecordingParserTest, MalformedRecordingsNameTheLineAndTheFault) {
    const std::string header = "D: 0\nR: 2 05 0d\n";  // lines 1 and 2
    const std::vector<BadRecording> cases = {
        {"X: 1\n", 3, "unknown line type 'X:'"},
        {"E: 0.000000 2 03\n", 3, "announces 2 bytes but lists 1"},
        {"E: 0.000000 0\n", 3, "an empty report"},
        {"E: 5 1 03\n", 3, "seconds.microseconds"},
        {"E: 0.5 1 03\nE: 0.4 1 03\n", 4, "time goes back"},
        {"E: 0.0 99999 03\n", 3, "more than the 16384"},
        {"R: 1 c0\n", 3, "a second R: line for device 0"},
        {"D: 2\nE: 0.0 1 03\n", 4, "E: before the R: line of device 2"},
        {"D: 3\nN: no descriptor\n", 3, "device 3 has no R: line"},
        // Microseconds of these seconds do not fit in 64 bits.
        {"E: 0.0 1 03\nE: 9223372036854.0 1 03\n", 4, "of at most 9223372036853 seconds"},
        {"N: " + std::string(HidRecordingParser::kMaximumLineBytes, 'x') + "\n", 3,
         "a line longer than 262144 bytes"},
    };
    for (const BadRecording& bad : cases) {
        const auto result = HidRecordingParser::parse(header + bad.text, "bad.hid");
        EXPECT_FALSE(result.recording) << bad.text;
        EXPECT_EQ(result.errorLine, bad.line) << bad.text;
        EXPECT_NE(result.error.find(bad.errorPart), std::string::npos)
            << bad.text << " -> " << result.error;
    }

    auto result = HidRecordingParser::parse("R: 3 05 0d 09\n", "cut.hid");
    EXPECT_EQ(result.message(),
              "cut.hid:1: malformed report descriptor at byte 2: truncated item 0x09: 1 data "
              "byte(s) announced, 0 left");
    result = HidRecordingParser::parse("# nothing but a comment\n\n", "empty.hid");
    EXPECT_EQ(result.message(), "empty.hid:2: no device in the recording");
    // A file without end or line breaks is refused at its first line's bound.
    result = HidRecordingParser::parseFile("/dev/zero");
    EXPECT_EQ(result.message(), "/dev/zero:1: a line longer than 262144 bytes");
    result = HidRecordingParser::parseFile("/nonexistent/session.hid");
    EXPECT_FALSE(result.recording);
    EXPECT_EQ(result.message().rfind("/nonexistent/session.hid:0: cannot read the file", 0), 0u);
}

}  // namespace
}  // namespace drawlume
