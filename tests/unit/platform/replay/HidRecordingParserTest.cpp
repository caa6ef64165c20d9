#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/replay/HidRecordingParser.hpp"

namespace drawlume {
namespace {

struct BadRecording {
    std::string text;
    size_t line;
    const char* errorPart;
};

TEST(HidRecordingParserTest, MalformedRecordingsNameTheLineAndTheFault) {
    // Lines 1 and 2, read through a Windows line end and a comment after the bytes.
    const std::string header = "D: 0\r\nR: 2 05 0d   # the report descriptor\n";
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
