#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include "Evdev.hpp"
#include "SoakLedger.hpp"

// The harness's own faults that would let a VM check pass wrongly: a comparison that
// matches what it should not, a soak count that loses no report it lost.
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

TEST(HarnessTest, InOrderComparisonMatchesOnlyWhatItShould) {
    const struct {
        std::vector<std::string> expected;
        std::vector<std::string> actual;
        bool matches;
    } cases[] = {
        // Frames are sets: the order of a driver's events does not matter.
        {{"ABS_X=100 BTN_TOOL_PEN=1 ABS_PRESSURE=7"},
         {"ABS_PRESSURE=7 BTN_TOOL_PEN=1 ABS_X=100"},
         true},
        {{"KEY_A=1"}, {"KEY_LEFTSHIFT=1", "KEY_A=1 KEY_LEFTSHIFT=1"}, true},
        {{"KEY_A=1", "KEY_B=1"}, {"KEY_A=1"}, false},
        {{"ABS_X=* ABS_Y=-10..20"}, {"ABS_X=3 ABS_Y=-10"}, true},
        {{"ABS_X=* ABS_Y=-10..20"}, {"ABS_X=3 ABS_Y=20"}, true},
        {{"ABS_X=* ABS_Y=-10..20"}, {"ABS_X=3 ABS_Y=21"}, false},
        {{"ABS_X=* ABS_Y=-10..20"}, {"ABS_Y=3"}, false},
        {{"BTN_TOUCH=0", "BTN_TOOL_PEN=1"}, {"BTN_TOOL_PEN=1", "BTN_TOUCH=0"}, false},
        // Each expected frame needs its own actual frame.
        {{"ABS_X=7", "ABS_X=7"}, {"ABS_X=7"}, false},
    };
    for (const auto& entry : cases) {
        std::string difference;
        EXPECT_EQ(framesContainInOrder(frames(entry.expected), frames(entry.actual), difference),
                  entry.matches)
            << entry.expected.front() << " / " << entry.actual.front();
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
    return {{EV_ABS, ABS_X, soakReport(index).x + offset, std::nullopt}};
}

TEST(HarnessTest, SoakLedgerCountsEveryLostAndExtraFrame) {
    SoakLedger whole;
    whole.setSent(2500);
    for (long i = 0; i < 2500; ++i) {
        whole.frame(frameOf(i, i % 3 == 0 ? 1 : 0));  // across the wrap of x, rounded up
    }
    whole.frame({{EV_KEY, BTN_TOUCH, 0, std::nullopt}});  // not a report's frame
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

}  // namespace
}  // namespace drawlume::e2e
