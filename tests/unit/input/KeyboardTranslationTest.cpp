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
