#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "CompanionDescriptor.hpp"
#include "CompanionReports.hpp"
#include "CompanionScript.hpp"
#include "TempDirectory.hpp"

namespace drawlume::e2e {
namespace {

std::vector<uint8_t> parsed(const std::string& line) {
    std::vector<uint8_t> report;
    std::string error;
    EXPECT_TRUE(parseReportLine(line, report, error)) << error;
    return report;
}

// Each word of a script line sets its own value of the report (the layout itself
// is checked against the descriptor with the translation's tests).
TEST(CompanionReportsTest, ScriptWordsSetTheirValues) {
    const auto bytes = [](const auto& report) {
        const auto encoded = companion::encode(report);
        return std::vector<uint8_t>(encoded.begin(), encoded.end());
    };
    EXPECT_EQ(parsed("pen tip barrel invert eraser range x=0x1234 y=32767 p=258 tx=-90 ty=90 "
                     "twist=359"),
              bytes(PenState{true, true, true, true, true, 0x1234, 32767, 258, -90, 90, 359}));
    EXPECT_EQ(parsed("pen range"), bytes(PenState{false, false, false, false, true}));
    EXPECT_EQ(parsed("mouse left middle dx=-1 dy=127 wheel=-2 pan=1"),
              bytes(MouseState{true, false, true, -1, 127, -2, 1}));
    EXPECT_EQ(parsed("keys mods=0x22 04 e0"),
              bytes(companion::KeyboardReport{0x22, {0x04, 0xe0, 0, 0, 0, 0}}));
    EXPECT_EQ(parsed("raw 03 00 ff"), (std::vector<uint8_t>{3, 0, 0xff}));
}

TEST(CompanionReportsTest, RejectsValuesTheDescriptorCannotCarry) {
    std::vector<uint8_t> report;
    std::string error;
    for (const char* line :
         {"pen x=32768", "pen tx=91", "pen twist=360", "pen hover", "mouse dx=128", "mouse wheel=x",
          "keys 01 02 03 04 05 06 07", "keys mods=0x100", "raw", "raw 1ff", "touch"}) {
        EXPECT_FALSE(parseReportLine(line, report, error)) << line;
    }
}

TEST(CompanionReportsTest, ScriptStepsAndTheirErrorsNameTheLine) {
    drawlume::testing::TempDirectory directory;
    const std::string path = directory.path().string() + "/script.txt";
    std::ofstream(path) << "# comment\n\npen range x=1\nsleep 5\nwait /tmp/go 100\ntouch "
                           "/tmp/done\nremove\nadd\n";
    std::vector<ScriptStep> steps;
    std::string error;
    ASSERT_TRUE(readScriptFile(path, steps, error)) << error;
    ASSERT_EQ(steps.size(), 6U);
    EXPECT_EQ(steps[0].kind, ScriptStep::Kind::Report);
    EXPECT_EQ(steps[0].line, 3);
    EXPECT_EQ(steps[2].kind, ScriptStep::Kind::WaitFile);
    EXPECT_EQ(steps[2].milliseconds, 100);
    EXPECT_EQ(steps[5].kind, ScriptStep::Kind::Add);

    std::ofstream(path) << "pen range\nwait /tmp/go\n";
    steps.clear();
    EXPECT_FALSE(readScriptFile(path, steps, error));
    EXPECT_NE(error.find(":2:"), std::string::npos) << error;
}

TEST(CompanionReportsTest, TheTestsDescriptorReadsAsItsBytes) {
    std::string error;
    const std::vector<uint8_t> descriptor = readDescriptorFile(
        std::string(DRAWLUME_TEST_DATA_DIR) + "/data/companion-descriptor.txt", error);
    ASSERT_FALSE(descriptor.empty()) << error;
    EXPECT_EQ(descriptor.front(), 0x05);
    EXPECT_EQ(descriptor.back(), 0xc0);

    drawlume::testing::TempDirectory directory;
    const std::string path = directory.path().string() + "/bad.txt";
    std::ofstream(path) << "05 01 # fine\n09 zz\n";
    EXPECT_TRUE(readDescriptorFile(path, error).empty());
    EXPECT_NE(error.find(":2: not a hex byte: zz"), std::string::npos) << error;
}

}  // namespace
}  // namespace drawlume::e2e
