#include <string>
#include <vector>

#include <dirent.h>
#include <gtest/gtest.h>

#include "Frame.hpp"

namespace drawlume::e2e {
namespace {

Frame frame(const std::string& text) {
    Frame parsed;
    std::string error;
    EXPECT_TRUE(parseFrame(text, parsed, error)) << error;
    return parsed;
}

TEST(FrameTest, ParsesNamesInAnyOrderAndPrintsInCodeOrder) {
    const Frame parsed = frame("ABS_Y=-5 BTN_TOOL_PEN=1 ABS_X=100 3:24=7");
    EXPECT_EQ(formatFrame(parsed), "BTN_TOOL_PEN=1 ABS_X=100 ABS_Y=-5 ABS_PRESSURE=7");
    EXPECT_EQ(parsed, frame("ABS_X=100 ABS_Y=-5 BTN_TOOL_PEN=1 ABS_PRESSURE=7"));
}

TEST(FrameTest, RejectsUnknownCodesAndBadValues) {
    Frame parsed;
    std::string error;
    EXPECT_FALSE(parseFrame("ABS_NOPE=1", parsed, error));
    EXPECT_FALSE(parseFrame("ABS_X=12x", parsed, error));
    EXPECT_FALSE(parseFrame("ABS_X", parsed, error));
    EXPECT_FALSE(parseFrame("ABS_X=5..", parsed, error));
    EXPECT_FALSE(parseFrame("ABS_X=9..3", parsed, error));
    EXPECT_FALSE(parseFrame("99:1=1", parsed, error));
    EXPECT_NE(error.find("99:1=1"), std::string::npos);
}

TEST(FrameTest, WildcardsAndRangesMatchTheirValuesButNotAMissingCode) {
    const Frame expected = frame("ABS_X=* ABS_Y=-10..20");
    EXPECT_EQ(formatFrame(expected), "ABS_X=* ABS_Y=-10..20");
    std::string difference;
    for (const int32_t y : {-10, 0, 20}) {
        EXPECT_TRUE(
            sameFrames({expected}, {frame("ABS_X=3 ABS_Y=" + std::to_string(y))}, difference))
            << y;
    }
    for (const int32_t y : {-11, 21}) {
        EXPECT_FALSE(
            sameFrames({expected}, {frame("ABS_X=3 ABS_Y=" + std::to_string(y))}, difference))
            << y;
    }
    EXPECT_FALSE(sameFrames({expected}, {frame("ABS_Y=3")}, difference));
}

TEST(FrameTest, InOrderContainmentSkipsFramesBetweenButNotOrder) {
    const std::vector<Frame> actual{frame("BTN_TOOL_PEN=1 ABS_X=5 ABS_Y=6"), frame("ABS_X=7"),
                                    frame("BTN_TOUCH=1 ABS_PRESSURE=300 ABS_X=8"),
                                    frame("BTN_TOUCH=0 ABS_PRESSURE=0")};
    std::string difference;
    EXPECT_TRUE(framesContainInOrder({frame("BTN_TOOL_PEN=1 ABS_X=*"),
                                      frame("BTN_TOUCH=1 ABS_PRESSURE=300"), frame("BTN_TOUCH=0")},
                                     actual, difference));
    EXPECT_FALSE(
        framesContainInOrder({frame("BTN_TOUCH=0"), frame("BTN_TOUCH=1")}, actual, difference));
    EXPECT_NE(difference.find("expected frame 2"), std::string::npos);
    // Each expected frame needs its own actual frame.
    EXPECT_FALSE(framesContainInOrder({frame("ABS_X=7"), frame("ABS_X=7")}, actual, difference));
}

// Every expected-frames file of the VM tests parses, so a typo fails here and not
// only inside the VM.
TEST(FrameTest, EveryExpectedFramesFileParses) {
    int files = 0;
    for (const std::string folder : {"twin", "agent"}) {
        const std::string path =
            std::string(DRAWLUME_TEST_DATA_DIR) + "/e2e/data/expected/" + folder;
        DIR* directory = opendir(path.c_str());
        ASSERT_NE(directory, nullptr) << path;
        while (const dirent* entry = readdir(directory)) {
            const std::string name = entry->d_name;
            if (name.size() > 7 && name.substr(name.size() - 7) == ".frames") {
                std::vector<Frame> frames;
                std::string error;
                EXPECT_TRUE(readFramesFile(path + "/" + name, frames, error)) << error;
                EXPECT_FALSE(frames.empty()) << name;
                ++files;
            }
        }
        closedir(directory);
    }
    EXPECT_EQ(files, 13);
}

}  // namespace
}  // namespace drawlume::e2e
