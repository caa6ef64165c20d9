#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Companion.hpp"
#include "Evdev.hpp"
#include "SoakLedger.hpp"

// The harness's own faults that would let a VM check pass wrongly: a comparison that
// matches what it should not, a soak count that loses no report it lost, a script
// value cut to fit the descriptor so that the script tests something else.
namespace drawlume::e2e {
namespace {

std::vector<Frame> frames(const std::vector<std::string>& lines) {
    std::vector<Frame> parsed(lines.size());
    std::string error;
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_TRUE(parseFrame(lines[i], parsed[i], error)) << error;
    }
    return parsed;
}

TEST(HarnessTest, FrameComparisonsMatchOnlyWhatTheyShould) {
    const struct {
        std::vector<std::string> expected;
        std::vector<std::string> actual;
        bool same;
        bool inOrder;
    } cases[] = {
        // Frames are sets: the order of a driver's events does not matter.
        {{"ABS_X=100 BTN_TOOL_PEN=1 ABS_PRESSURE=7"},
         {"ABS_PRESSURE=7 BTN_TOOL_PEN=1 ABS_X=100"},
         true,
         true},
        {{"KEY_A=1"}, {"KEY_A=1 KEY_LEFTSHIFT=1"}, false, true},
        {{"KEY_A=1"}, {"KEY_A=1", "KEY_B=1"}, false, true},
        {{"KEY_A=1", "KEY_B=1"}, {"KEY_A=1"}, false, false},
        {{"ABS_X=* ABS_Y=-10..20"}, {"ABS_X=3 ABS_Y=-10"}, true, true},
        {{"ABS_X=* ABS_Y=-10..20"}, {"ABS_X=3 ABS_Y=20"}, true, true},
        {{"ABS_X=* ABS_Y=-10..20"}, {"ABS_X=3 ABS_Y=21"}, false, false},
        {{"ABS_X=* ABS_Y=-10..20"}, {"ABS_Y=3"}, false, false},
        {{"BTN_TOOL_PEN=1 ABS_X=*", "BTN_TOUCH=0"},
         {"BTN_TOOL_PEN=1 ABS_X=5 ABS_Y=6", "ABS_X=7", "BTN_TOUCH=0 ABS_PRESSURE=0"},
         false,
         true},
        {{"BTN_TOUCH=0", "BTN_TOOL_PEN=1"}, {"BTN_TOOL_PEN=1", "BTN_TOUCH=0"}, false, false},
        // Each expected frame needs its own actual frame.
        {{"ABS_X=7", "ABS_X=7"}, {"ABS_X=7"}, false, false},
    };
    for (const auto& entry : cases) {
        std::string difference;
        const std::string name = entry.expected.front() + " / " + entry.actual.front();
        EXPECT_EQ(sameFrames(frames(entry.expected), frames(entry.actual), difference), entry.same)
            << name;
        EXPECT_EQ(framesContainInOrder(frames(entry.expected), frames(entry.actual), difference),
                  entry.inOrder)
            << name;
    }
    Frame parsed;
    std::string error;
    for (const char* bad :
         {"ABS_NOPE=1", "ABS_X=12x", "ABS_X", "ABS_X=5..", "ABS_X=9..3", "99:1=1"}) {
        EXPECT_FALSE(parseFrame(bad, parsed, error)) << bad;
    }
}

// The frame a program makes of report `index`, its x placed `offset` off.
Frame frameOf(long index, int32_t offset) {
    return Frame{{{3, 0, soakReport(index).x + offset, std::nullopt},  // ABS_X
                  {3, 24, 900, std::nullopt}}};                        // ABS_PRESSURE
}

TEST(HarnessTest, SoakLedgerCountsEveryLostAndExtraFrame) {
    SoakLedger whole;
    whole.setSent(2500);
    for (long i = 0; i < 2500; ++i) {
        whole.frame(frameOf(i, i % 3 == 0 ? 1 : 0));  // across the wrap of x, rounded up
    }
    whole.frame(Frame{{{1, 330, 0, std::nullopt}}});  // BTN_TOUCH alone: not a report's
    whole.finish();
    EXPECT_EQ(whole.lost() + whole.extra(), 0);
    EXPECT_EQ(whole.framesWithX(), 2500);

    SoakLedger gaps;
    gaps.setSent(10);
    gaps.frame(frameOf(0, 0));
    gaps.frame(frameOf(3, 0));  // 1 and 2 made no frame
    gaps.frame(frameOf(3, 0));  // a repeat matches no report sent
    EXPECT_EQ(gaps.lost(), 2);
    EXPECT_EQ(gaps.extra(), 1);
    gaps.giveUpOldest();  // 4 overdue
    gaps.frame(frameOf(5, 0));
    gaps.finish();  // 6 to 9 never came
    EXPECT_EQ(gaps.lost(), 2 + 1 + 4);
    EXPECT_EQ(gaps.outstanding(), 0);
}

TEST(HarnessTest, ScriptValuesTheDescriptorCannotCarryAreRefused) {
    std::vector<uint8_t> report;
    std::string error;
    for (const char* line : {"pen x=32768", "pen tx=91", "pen twist=360", "pen hover", "pen x",
                             "mouse dx=128", "mouse wheel=x", "keys 01 02 03 04 05 06 07",
                             "keys mods=0x100", "keys 1ff", "keys 04 zz", "raw 1ff", "touch"}) {
        EXPECT_FALSE(parseReportLine(line, report, error)) << line;
    }
    ASSERT_TRUE(parseReportLine("keys mods=0x02 04 05", report, error)) << error;
    EXPECT_EQ(report, keyboardReport(0x02, {0x04, 0x05}));
}

}  // namespace
}  // namespace drawlume::e2e
