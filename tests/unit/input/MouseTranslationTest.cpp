#include <gmock/gmock.h>

#include "input/HandlerFixture.hpp"

namespace drawlume::testing {
namespace {

class MouseTranslationTest : public HandlerFixture {
protected:
    void mouse(uint8_t buttons, int8_t dx = 0, int8_t dy = 0, int8_t wheel = 0,
               int64_t device = kDevice) {
        send(1,
             {1, buttons, static_cast<uint8_t>(dx), static_cast<uint8_t>(dy),
              static_cast<uint8_t>(wheel)},
             device);
    }

    // A relative mouse event as the handler should ask for it.
    static GeneratorCall relative(CGEventType type, int8_t dx, int8_t dy, CGMouseButton button,
                                  int64_t clickState) {
        GeneratorCall call;
        call.operation = Op::relativeMouseEvent;
        call.type = type;
        call.deltaX = dx;
        call.deltaY = dy;
        call.button = button;
        call.clickCount = clickState;
        return call;
    }
};

TEST_F(MouseTranslationTest, ButtonChangesComeLeftRightMiddleThenTheMoveThenTheScroll) {
    send(1, {1, 0x07, 0xFB, 3, 0xFE, 4});
    EXPECT_EQ(
        calls(),
        (std::vector<GeneratorCall>{
            relative(kCGEventLeftMouseDown, 0, 0, kCGMouseButtonLeft, 1),
            relative(kCGEventRightMouseDown, 0, 0, kCGMouseButtonRight, 0),
            relative(kCGEventOtherMouseDown, 0, 0, kCGMouseButtonCenter, 1),
            relative(kCGEventLeftMouseDragged, -5, 3, kCGMouseButtonLeft, 0),
            GeneratorCall{.operation = Op::scrollEvent, .at = {}, .vertical = -2, .horizontal = 4},
        }));
    forgetCalls();
    send(1, {1, 0x00, 0, 0, 0, 0});
    EXPECT_EQ(calls(), (std::vector<GeneratorCall>{
                           relative(kCGEventLeftMouseUp, 0, 0, kCGMouseButtonLeft, 1),
                           relative(kCGEventRightMouseUp, 0, 0, kCGMouseButtonRight, 0),
                           relative(kCGEventOtherMouseUp, 0, 0, kCGMouseButtonCenter, 0),
                       }));
}

TEST_F(MouseTranslationTest, AMoveIsTheDragOfTheFirstHeldButtonInLeftRightMiddleOrder) {
    struct Case {
        uint8_t buttons;
        CGEventType type;
        CGMouseButton button;
    };
    const Case cases[] = {
        {0x00, kCGEventMouseMoved, kCGMouseButtonLeft},
        {0x03, kCGEventLeftMouseDragged, kCGMouseButtonLeft},
        {0x06, kCGEventRightMouseDragged, kCGMouseButtonRight},
        {0x04, kCGEventOtherMouseDragged, kCGMouseButtonCenter},
    };
    for (const Case& item : cases) {
        mouse(item.buttons);  // presses first, so the next report only moves
        forgetCalls();
        mouse(item.buttons, 1, -1);
        EXPECT_EQ(calls(), (std::vector<GeneratorCall>{relative(item.type, 1, -1, item.button, 0)}))
            << "buttons " << int{item.buttons};
    }
}

TEST_F(MouseTranslationTest, DevicesKeepTheirOwnButtonsButShareTheClickCount) {
    mouse(1, 0, 0, 0, 1);
    services.clocks.advance(0.1);
    mouse(1, 0, 0, 0, 2);  // a different device: its left is newly pressed
    mouse(1, 0, 0, 0, 1);  // the first device's left is still held: nothing
    ASSERT_EQ(calls().size(), 2u);
    EXPECT_EQ(calls()[0].type, kCGEventLeftMouseDown);
    EXPECT_EQ(calls()[1].type, kCGEventLeftMouseDown);
    EXPECT_EQ(calls()[1].clickCount, 2);
}

TEST_F(MouseTranslationTest, AfterAResetHeldButtonsArePressedAgain) {
    mouse(1);
    handler.resetMouseState(kDevice);
    handler.resetMouseState(99);  // no entry: no harm
    mouse(1);
    EXPECT_EQ(calls().size(), 2u);
    EXPECT_EQ(calls()[1].type, kCGEventLeftMouseDown);
}

TEST_F(MouseTranslationTest, OtherLengthsAndTheUpperButtonBitsAreIgnoredSilently) {
    send(1, {1, 1, 5, 5});
    send(1, {1, 1, 5, 5, 1, 1, 0});
    mouse(0xF8);
    mouse(0);  // nothing was stored as pressed: no release
    EXPECT_TRUE(calls().empty());
    EXPECT_TRUE(logTexts().empty());
}

}  // namespace
}  // namespace drawlume::testing
