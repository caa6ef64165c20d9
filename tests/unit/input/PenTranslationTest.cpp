#include <gmock/gmock.h>

#include "input/HandlerFixture.hpp"

namespace drawlume::testing {
namespace {

// Flag bits of a digitizer report.
constexpr uint8_t kTip = companion::kPenTipBit;
constexpr uint8_t kBarrel = companion::kPenBarrelBit;
constexpr uint8_t kInvert = companion::kPenInvertBit;
constexpr uint8_t kEraser = companion::kPenEraserBit;
constexpr uint8_t kInRange = companion::kPenInRangeBit;

class PenTranslationTest : public HandlerFixture {
protected:
    PenTranslationTest() { services.targetFrame.frame = Rect{{100, 50}, {1600, 900}}; }

    // Brings the pen into range and clears what that posted.
    void hover() {
        pen(kInRange);
        forgetCalls();
    }
};

// Each row of the state table: a state reached by some reports, then one
// report, and the operations it must post.
TEST_F(PenTranslationTest, EachStateAndReportPostsTheRowsEventsInOrder) {
    constexpr uint8_t kIn = kInRange;
    const struct {
        const char* name;
        std::vector<uint8_t> setUp;
        uint8_t report;
        std::vector<Op> expected;
    } rows[] = {
        {"away, in range: enters then hovers", {}, kIn, {Op::proximityEnter, Op::tabletMove}},
        {"away, out of range: still enters", {}, 0, {Op::proximityEnter, Op::tabletMove}},
        {"hovering moves", {kIn}, kIn, {Op::tabletMove}},
        {"hovering barrel presses right", {kIn}, kIn | kBarrel, {Op::rightMouseDown}},
        {"barrel held drags right", {kIn, kIn | kBarrel}, kIn | kBarrel, {Op::rightMouseDragged}},
        {"barrel released releases right", {kIn, kIn | kBarrel}, kIn, {Op::rightMouseUp}},
        {"hovering touch presses", {kIn}, kIn | kTip, {Op::tabletPointer, Op::penDown}},
        {"barrel held touch presses",
         {kIn, kIn | kBarrel},
         kIn | kTip | kBarrel,
         {Op::tabletPointer, Op::penDown}},
        {"pressed drags", {kIn | kTip}, kIn | kTip, {Op::penDragged}},
        {"lift releases then hovers", {kIn | kTip}, kIn, {Op::penUp, Op::tabletMove}},
        {"lift with barrel releases, presses right",
         {kIn | kTip},
         kIn | kBarrel,
         {Op::penUp, Op::rightMouseDown}},
        {"leaving while hovering exits", {kIn}, 0, {Op::proximityExit}},
        {"leaving with barrel releases right, exits",
         {kIn, kIn | kBarrel},
         0,
         {Op::rightMouseUp, Op::proximityExit}},
        {"eraser alone touches", {kIn}, kIn | kEraser, {Op::tabletPointer, Op::penDown}},
        {"invert alone does not touch", {kIn}, kIn | kInvert, {Op::tabletMove}},
        {"upper flag bits are ignored", {kIn}, kIn | 0xE0, {Op::tabletMove}},
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

TEST_F(PenTranslationTest, ShortDigitizerReportsAreDropped) {
    std::vector<uint8_t> report = penReport(kInRange | kTip);
    report.pop_back();
    send(3, report);
    EXPECT_TRUE(calls().empty());
    EXPECT_FALSE(handler.wasInRange());
}

}  // namespace
}  // namespace drawlume::testing
