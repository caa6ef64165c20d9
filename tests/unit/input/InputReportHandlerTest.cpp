#include <algorithm>
#include <memory>

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

TEST_F(InputReportHandlerTest, ReportsOfAnyLengthAreReadOnlyWithinTheirLength) {
    // Each report sits at the very end of its own heap block, so that ASan
    // catches a read one byte past it.
    for (uint32_t id = 1; id <= 3; ++id) {
        for (int64_t length = 0; length <= 16; ++length) {
            auto bytes = std::make_unique<uint8_t[]>(static_cast<size_t>(length));
            std::fill_n(bytes.get(), length, 0xFF);
            if (length > 0) {
                bytes[0] = static_cast<uint8_t>(id);
            }
            handler.handleInputReport(kDevice, 0, id, bytes.get(), length);
        }
    }
    // Only the valid lengths posted anything: a 5- and 6-byte mouse report,
    // the 9-byte and longer keyboard reports, the 12-byte and longer pen reports.
    EXPECT_FALSE(calls().empty());
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
