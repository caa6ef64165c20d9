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
};

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

}  // namespace
}  // namespace drawlume::testing
