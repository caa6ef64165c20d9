#include <algorithm>

#include "input/HandlerFixture.hpp"

namespace drawlume::testing {
namespace {

using InputReportHandlerTest = HandlerFixture;

// Reports of no defined ID, and pen and keyboard reports too short for their
// layout, change nothing; longer reports are read as far as the layout goes.
TEST_F(InputReportHandlerTest, UndefinedOrShortReportsAreDroppedAndLongOnesRead) {
    std::vector<uint8_t> shortPen = penReport(0x11);
    shortPen.pop_back();
    send(0, penReport(0x11));
    send(4, penReport(0x11));
    send(0xFFFFFFFF, {0xFF});
    send(3, shortPen);
    send(2, {2, 0, 0, 0x04, 0, 0, 0, 0});
    EXPECT_TRUE(calls().empty());
    EXPECT_FALSE(handler.wasInRange());
    EXPECT_EQ(
        logCapture.lines(),
        (std::vector<std::string>{"ERROR: Undefined report ID: 0", "ERROR: Undefined report ID: 4",
                                  "ERROR: Undefined report ID: 4294967295",
                                  "ERROR: Invalid keyboard report (length=8)"}));

    send(2, {2, 0, 0, 0x04, 0, 0, 0, 0, 0, 0x05});
    ASSERT_EQ(calls().size(), 1u);
    EXPECT_EQ(calls()[0].keyCode, 0);  // A down
    EXPECT_TRUE(calls()[0].keyDown);
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
    services.runLoop.runUntilIdle();
    EXPECT_EQ(rates, std::vector<int64_t>{0}) << "sent even while the collector is off";
    EXPECT_EQ(logCapture.lines().back(), "Pen state reset");

    // The next report starts over with a proximity enter and a single click.
    pen(0x11);
    EXPECT_EQ(operations(), (std::vector<Op>{Op::proximityEnter, Op::tabletPointer, Op::penDown}));
    EXPECT_EQ(calls().back().clickCount, 1);
}

// Flag bits of a digitizer report.
constexpr uint8_t kTip = companion::kPenTipBit;
constexpr uint8_t kBarrel = companion::kPenBarrelBit;
constexpr uint8_t kEraser = companion::kPenEraserBit;
constexpr uint8_t kInRange = companion::kPenInRangeBit;

using PenTranslationTest = HandlerFixture;

// Each row of the state table: a state reached by some reports, then one
// report, and the operations it must post. The pen recordings (tests/data/pen-*)
// play the common turns; these rows are the ones they do not.
TEST_F(PenTranslationTest, EachStateAndReportPostsTheRowsEventsInOrder) {
    constexpr uint8_t kIn = kInRange;
    const struct {
        const char* name;
        std::vector<uint8_t> setUp;
        uint8_t report;
        std::vector<Op> expected;
    } rows[] = {
        {"away, out of range: still enters", {}, 0, {Op::proximityEnter, Op::tabletMove}},
        {"lift with barrel releases, presses right",
         {kIn | kTip},
         kIn | kBarrel,
         {Op::penUp, Op::rightMouseDown}},
        {"leaving with barrel releases right, exits",
         {kIn, kIn | kBarrel},
         0,
         {Op::rightMouseUp, Op::proximityExit}},
        {"eraser alone touches", {kIn}, kIn | kEraser, {Op::tabletPointer, Op::penDown}},
    };
    for (const auto& row : rows) {
        generator->calls.clear();
        handler.resetPenState();
        for (const uint8_t flags : row.setUp) {
            pen(flags);
        }
        forgetCalls();
        pen(row.report);
        EXPECT_EQ(operations(), row.expected) << row.name;
    }
}

using KeyboardTranslationTest = HandlerFixture;

TEST_F(KeyboardTranslationTest, UnmappedUsagesAreWarnedAboutOnPressAndReleaseButNeverPosted) {
    keyboard(0, {0x39, 0xE1, 0x64});
    keyboard(0, {});
    EXPECT_TRUE(calls().empty());
    const std::vector<DDLogMessage> messages = logCapture.messages();
    EXPECT_EQ(std::count_if(messages.begin(), messages.end(),
                            [](const DDLogMessage& m) { return m.flag == DDLogFlagWarning; }),
              6);
    EXPECT_EQ(messages.back().message, "  Key UP: HID=0xE1 -> unmapped");
}

class MouseTranslationTest : public HandlerFixture {
protected:
    // Buttons without motion or wheel.
    void mouse(uint8_t buttons, int64_t device) { send(1, {1, buttons, 0, 0, 0}, device); }
};

// Each device has its buttons of its own, forgotten when it is reset, but
// clicks count across devices.
TEST_F(MouseTranslationTest, DevicesKeepTheirOwnButtonsUntilResetButShareTheClickCount) {
    mouse(1, 1);
    services.clocks.advance(0.1);
    mouse(1, 2);  // a different device: its left is newly pressed
    mouse(1, 1);  // the first device's left is still held: nothing
    handler.resetMouseState(2);
    handler.resetMouseState(99);  // no entry: no harm
    services.clocks.advance(1);
    mouse(1, 2);  // held again after the reset: pressed again
    ASSERT_EQ(calls().size(), 3u);
    EXPECT_EQ(calls()[0].type, kCGEventLeftMouseDown);
    EXPECT_EQ(calls()[1].type, kCGEventLeftMouseDown);
    EXPECT_EQ(calls()[1].clickCount, 2);
    EXPECT_EQ(calls()[2].type, kCGEventLeftMouseDown);
}

}  // namespace
}  // namespace drawlume::testing
