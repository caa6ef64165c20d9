#include <algorithm>
#include <set>

#include <gtest/gtest.h>
#include <linux/input.h>

#include "platform/linux/uinput/MacKeyCodeMap.hpp"
#include "platform/linux/uinput/UinputDeviceLayout.hpp"

namespace drawlume {
namespace {

bool hasKey(const UinputDeviceLayout& layout, uint16_t code) {
    return std::find(layout.keys.begin(), layout.keys.end(), code) != layout.keys.end();
}

const UinputAxis* axis(const UinputDeviceLayout& layout, uint16_t code) {
    for (const UinputAxis& candidate : layout.absoluteAxes) {
        if (candidate.code == code) {
            return &candidate;
        }
    }
    return nullptr;
}

// udev calls a device a tablet for ABS_X/ABS_Y with a pen tool, a mouse for
// absolute axes with a left button and no touch or pen, a keyboard for the
// first row of keys; libinput takes mixed devices for something else.
TEST(UinputDeviceLayoutTest, EachDeviceHasOnlyTheCapabilitiesOfItsRole) {
    const UinputDeviceLayout& pen = uinputDeviceLayout(UinputDeviceRole::pen);
    for (const uint16_t code :
         {BTN_TOOL_PEN, BTN_TOOL_RUBBER, BTN_TOUCH, BTN_STYLUS, BTN_STYLUS2}) {
        EXPECT_TRUE(hasKey(pen, code)) << code;
    }
    EXPECT_FALSE(hasKey(pen, BTN_LEFT));
    EXPECT_TRUE(pen.relativeAxes.empty());
    ASSERT_NE(axis(pen, ABS_X), nullptr);
    EXPECT_GT(axis(pen, ABS_X)->resolution, 0) << "libinput ignores tablets without resolution";
    EXPECT_EQ(axis(pen, ABS_X)->resolution, axis(pen, ABS_Y)->resolution);
    EXPECT_EQ(axis(pen, ABS_TILT_X)->minimum, -axis(pen, ABS_TILT_X)->maximum);
    EXPECT_GT(axis(pen, ABS_TILT_Y)->resolution, 0);
    EXPECT_EQ(std::vector<uint16_t>(pen.properties.begin(), pen.properties.end()),
              std::vector<uint16_t>{INPUT_PROP_DIRECT});

    const UinputDeviceLayout& pointer = uinputDeviceLayout(UinputDeviceRole::pointer);
    for (const uint16_t code : {BTN_TOUCH, BTN_TOOL_PEN, BTN_STYLUS}) {
        EXPECT_FALSE(hasKey(pointer, code)) << code;
    }
    EXPECT_TRUE(hasKey(pointer, BTN_LEFT) && hasKey(pointer, BTN_RIGHT) &&
                hasKey(pointer, BTN_MIDDLE));
    EXPECT_NE(axis(pointer, ABS_X), nullptr);
    EXPECT_EQ(axis(pointer, ABS_PRESSURE), nullptr);
    EXPECT_EQ(std::set<uint16_t>(pointer.relativeAxes.begin(), pointer.relativeAxes.end()),
              (std::set<uint16_t>{REL_WHEEL, REL_HWHEEL, REL_WHEEL_HI_RES, REL_HWHEEL_HI_RES}));
    EXPECT_TRUE(pointer.properties.empty());

    const UinputDeviceLayout& keyboard = uinputDeviceLayout(UinputDeviceRole::keyboard);
    for (uint16_t code = KEY_ESC; code <= KEY_D; ++code) {
        EXPECT_TRUE(hasKey(keyboard, code)) << code;
    }
    for (const MacKeyMapping& mapping : macKeyMappings()) {
        EXPECT_TRUE(hasKey(keyboard, mapping.linuxKey)) << mapping.linuxKey;
    }
    EXPECT_FALSE(hasKey(keyboard, BTN_LEFT));
    EXPECT_TRUE(keyboard.absoluteAxes.empty() && keyboard.relativeAxes.empty());
}

}  // namespace
}  // namespace drawlume
