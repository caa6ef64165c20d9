#include <gtest/gtest.h>

#include "SoakLedger.hpp"

namespace drawlume::e2e {
namespace {

// The frame a program makes of report `index`, its x placed `offset` off.
Frame frameOf(long index, int32_t offset) {
    Frame frame;
    frame.events.push_back({3, 0, soakReport(index).x + offset, std::nullopt});  // ABS_X
    frame.events.push_back({3, 24, 900, std::nullopt});                          // ABS_PRESSURE
    return frame;
}

TEST(SoakLedgerTest, MatchesFramesToReportsAcrossTheWrapOfX) {
    SoakLedger ledger;
    ledger.setSent(2500);
    for (long i = 0; i < 2500; ++i) {
        ledger.frame(frameOf(i, i % 3 == 0 ? 1 : 0));  // a display mapping rounds up
    }
    ledger.frame(Frame{{{1, 330, 0, std::nullopt}}});  // BTN_TOUCH alone: not a report's
    ledger.finish();
    EXPECT_EQ(ledger.lost(), 0);
    EXPECT_EQ(ledger.extra(), 0);
    EXPECT_EQ(ledger.framesWithX(), 2500);
}

TEST(SoakLedgerTest, CountsGapsRepeatsOverdueAndMissingTailAsTheyAre) {
    SoakLedger ledger;
    ledger.setSent(10);
    ledger.frame(frameOf(0, 0));
    ledger.frame(frameOf(3, 0));  // 1 and 2 made no frame
    ledger.frame(frameOf(3, 0));  // a repeat matches no report sent
    EXPECT_EQ(ledger.lost(), 2);
    EXPECT_EQ(ledger.extra(), 1);
    EXPECT_EQ(ledger.outstanding(), 6);
    ledger.giveUpOldest();  // 4 overdue
    ledger.frame(frameOf(5, 0));
    ledger.finish();  // 6 to 9 never came
    EXPECT_EQ(ledger.lost(), 2 + 1 + 4);
    EXPECT_EQ(ledger.outstanding(), 0);
}

}  // namespace
}  // namespace drawlume::e2e
