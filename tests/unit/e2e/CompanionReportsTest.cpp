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

// What the harness reads right shows in the VM run, which plays these scripts on the
// descriptor and compares the frames; what it must refuse shows nowhere else: a value
// the descriptor cannot carry would be cut and the script would test something else.
TEST(CompanionReportsTest, RejectsValuesTheDescriptorCannotCarry) {
    std::vector<uint8_t> report;
    std::string error;
    for (const char* line :
         {"pen x=32768", "pen tx=91", "pen twist=360", "pen hover", "mouse dx=128", "mouse wheel=x",
          "keys 01 02 03 04 05 06 07", "keys mods=0x100", "raw", "raw 1ff", "touch"}) {
        EXPECT_FALSE(parseReportLine(line, report, error)) << line;
    }
}

TEST(CompanionReportsTest, BadScriptAndDescriptorLinesAreRefusedByLine) {
    drawlume::testing::TempDirectory directory;
    const std::string path = directory.path().string() + "/bad.txt";
    std::vector<ScriptStep> steps;
    std::string error;
    std::ofstream(path) << "pen range\nwait /tmp/go\n";
    EXPECT_FALSE(readScriptFile(path, steps, error));
    EXPECT_NE(error.find(":2:"), std::string::npos) << error;

    std::ofstream(path) << "05 01 # fine\n09 zz\n";
    EXPECT_TRUE(readDescriptorFile(path, error).empty());
    EXPECT_NE(error.find(":2: not a hex byte: zz"), std::string::npos) << error;
}

}  // namespace
}  // namespace drawlume::e2e
