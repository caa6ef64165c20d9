#include <gmock/gmock.h>

#include "input/HandlerFixture.hpp"

namespace drawlume::testing {
namespace {

class KeyboardTranslationTest : public HandlerFixture {
protected:
    static GeneratorCall key(uint16_t code, bool down, uint8_t modifiers) {
        GeneratorCall call;
        call.operation = Op::keyboardEvent;
        call.keyCode = code;
        call.keyDown = down;
        call.modifiers = modifiers;
        return call;
    }
    using Keys = std::vector<GeneratorCall>;
};

TEST_F(KeyboardTranslationTest, ModifierChangesArePostedInBitOrder) {
    keyboard(0x22, {});
    forgetCalls();
    keyboard(0x20, {});  // left shift up while right shift is still held
    EXPECT_EQ(calls(), (Keys{key(56, false, 0x20)}));

    keyboard(0x01, {});
    forgetCalls();
    keyboard(0x10, {});  // left control up, right control down
    EXPECT_EQ(calls(), (Keys{key(59, false, 0x10), key(62, true, 0x10)}));

    forgetCalls();
    keyboard(0xFF, {});
    keyboard(0x00, {});
    const std::vector<uint16_t> order = {59, 56, 58, 55, 60, 61, 54,  // down, bit 4 already held
                                         59, 56, 58, 55, 62, 60, 61, 54};  // all up
    ASSERT_EQ(calls().size(), order.size());
    for (size_t i = 0; i < order.size(); ++i) {
        EXPECT_EQ(calls()[i].keyCode, order[i]) << i;
    }
}

TEST_F(KeyboardTranslationTest, DownsComeBeforeUpsAndDuplicatesCountOnce) {
    keyboard(0, {0x05, 0x06});
    forgetCalls();
    keyboard(0, {0x07, 0x07, 0x04});  // presses d and a, releases b and c
    EXPECT_EQ(calls(),
              (Keys{key(0, true, 0), key(2, true, 0), key(11, false, 0), key(8, false, 0)}));
}

TEST_F(KeyboardTranslationTest, UnmappedUsagesAreWarnedAboutOnPressAndReleaseButNeverPosted) {
    keyboard(0, {0x39, 0xE1, 0x64});
    keyboard(0, {});
    EXPECT_TRUE(calls().empty());
    const std::vector<DDLogMessage> messages = logMessages();
    std::vector<std::string> warnings;
    for (const DDLogMessage& message : messages) {
        if (message.flag == DDLogFlagWarning) {
            warnings.push_back(message.message);
        }
    }
    EXPECT_THAT(warnings,
                ::testing::ElementsAre(
                    "  Key DOWN: HID=0x39 -> unmapped", "  Key DOWN: HID=0x64 -> unmapped",
                    "  Key DOWN: HID=0xE1 -> unmapped", "  Key UP: HID=0x39 -> unmapped",
                    "  Key UP: HID=0x64 -> unmapped", "  Key UP: HID=0xE1 -> unmapped"));
}

TEST_F(KeyboardTranslationTest, ShortReportsAreRejectedWithAnErrorAndLongOnesRead) {
    send(2, {2, 0, 0, 0x04, 0, 0, 0, 0});
    EXPECT_TRUE(calls().empty());
    send(2, {2, 0, 0, 0x04, 0, 0, 0, 0, 0, 0x05});
    EXPECT_EQ(calls(), (Keys{key(0, true, 0)}));
    const std::vector<DDLogMessage> messages = logMessages();
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages[0].message, "ERROR: Invalid keyboard report (length=8)");
    EXPECT_EQ(messages[0].flag, DDLogFlagError);
    EXPECT_EQ(messages[0].function, "handleKeyboardInputReport(report:reportLength:)");
}

}  // namespace
}  // namespace drawlume::testing
