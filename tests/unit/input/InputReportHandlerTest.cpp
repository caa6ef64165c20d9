#include "input/HandlerFixture.hpp"

namespace drawlume::testing {
namespace {

using InputReportHandlerTest = HandlerFixture;

TEST_F(InputReportHandlerTest, UndefinedReportIDsAreLoggedAsErrorsAndChangeNothing) {
    send(0, penReport(0x11));
    send(4, penReport(0x11));
    send(0xFFFFFFFF, {0xFF});
    EXPECT_TRUE(calls().empty());
    EXPECT_FALSE(handler.wasInRange());
    EXPECT_EQ(logTexts(), (std::vector<std::string>{"ERROR: Undefined report ID: 0",
                                                    "ERROR: Undefined report ID: 4",
                                                    "ERROR: Undefined report ID: 4294967295"}));
    EXPECT_EQ(logMessages()[0].flag, DDLogFlagError);
}

TEST_F(InputReportHandlerTest, ResettingThePenForgetsItWithoutPostingAndAnnouncesZeroRate) {
    std::vector<int64_t> rates;
    services.debugLogCollector.setOnEventsPerSecUpdated(
        [&](int64_t rate) { rates.push_back(rate); });
    pen(0x11);  // enters and presses
    ASSERT_TRUE(handler.isPenDown());
    forgetCalls();

    handler.resetPenState();
    EXPECT_TRUE(calls().empty());
    EXPECT_FALSE(handler.wasInRange());
    EXPECT_FALSE(handler.isPenDown());
    EXPECT_EQ(handler.clickCount(), 0);
    services.runLoop.runUntilIdle();
    EXPECT_EQ(rates, std::vector<int64_t>{0}) << "sent even while the collector is off";
    EXPECT_EQ(logTexts().back(), "Pen state reset");

    // The next report starts over with a proximity enter and a single click.
    pen(0x11);
    EXPECT_EQ(operations(), (std::vector<Op>{Op::proximityEnter, Op::tabletPointer, Op::penDown}));
    EXPECT_EQ(calls().back().clickCount, 1);
}

}  // namespace
}  // namespace drawlume::testing
