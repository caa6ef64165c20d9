#include <algorithm>

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
    EXPECT_EQ(std::count_if(messages.begin(), messages.end(),
                            [](const DDLogMessage& m) { return m.flag == DDLogFlagWarning; }),
              6);
    EXPECT_EQ(messages.back().message, "  Key UP: HID=0xE1 -> unmapped");
}

TEST_F(KeyboardTranslationTest, ShortReportsAreRejectedWithAnErrorAndLongOnesRead) {
    send(2, {2, 0, 0, 0x04, 0, 0, 0, 0});
    EXPECT_TRUE(calls().empty());
    send(2, {2, 0, 0, 0x04, 0, 0, 0, 0, 0, 0x05});
    EXPECT_EQ(calls(), (Keys{key(0, true, 0)}));
    EXPECT_EQ(logTexts().at(0), "ERROR: Invalid keyboard report (length=8)");
}

}  // namespace
}  // namespace drawlume::testing
