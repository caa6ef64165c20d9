#include "platform/linux/uinput/UinputDeviceLayout.hpp"

#include <algorithm>
#include <array>
#include <vector>

#include <linux/input.h>

#include "platform/linux/uinput/MacKeyCodeMap.hpp"

namespace drawlume {

namespace {

// A vendor id of our own on the virtual bus, where no hardware database has entries.
constexpr uint16_t kVendor = 0xD1A6;

// X and Y resolution in units per millimetre. libinput ignores a tablet whose
// resolution is 0; 100 makes the pen a 328 mm square, a size no monitor has,
// so compositors that map a tablet to the monitor of its size leave ours
// spanning the whole desktop.
constexpr int32_t kPenPositionResolution = 100;
// libinput reads a non-zero tilt resolution of an axis centred on 0 as units
// per radian: 9000 hundredths of a degree are pi/2.
constexpr int32_t kTiltResolution = 5730;

constexpr std::array<uint16_t, 5> kPenKeys = {BTN_TOOL_PEN, BTN_TOOL_RUBBER, BTN_TOUCH, BTN_STYLUS,
                                              BTN_STYLUS2};
constexpr std::array<UinputAxis, 6> kPenAxes = {{
    {ABS_X, 0, kUinputPositionMaximum, kPenPositionResolution, 0},
    {ABS_Y, 0, kUinputPositionMaximum, kPenPositionResolution, 0},
    {ABS_Z, 0, kUinputRotationMaximum, 0, kUinputRotationZero},
    {ABS_PRESSURE, 0, kUinputPressureMaximum, 0, 0},
    {ABS_TILT_X, -kUinputTiltLimit, kUinputTiltLimit, kTiltResolution, 0},
    {ABS_TILT_Y, -kUinputTiltLimit, kUinputTiltLimit, kTiltResolution, 0},
}};
// A screen tablet: positions are absolute on the desktop, not relative to a
// pad, so the calibration matrix applies and no "area" setting is offered.
constexpr std::array<uint16_t, 1> kPenProperties = {INPUT_PROP_DIRECT};

constexpr std::array<uint16_t, 3> kPointerKeys = {BTN_LEFT, BTN_RIGHT, BTN_MIDDLE};
constexpr std::array<UinputAxis, 2> kPointerAxes = {{
    {ABS_X, 0, kUinputPositionMaximum, 0, 0},
    {ABS_Y, 0, kUinputPositionMaximum, 0, 0},
}};
constexpr std::array<uint16_t, 4> kPointerWheels = {REL_WHEEL, REL_HWHEEL, REL_WHEEL_HI_RES,
                                                    REL_HWHEEL_HI_RES};
// The wheels travel with the motion: compositors take buttons and wheels on
// another device for a second pointer.
constexpr std::array<uint16_t, 6> kMouseAxes = {
    REL_X, REL_Y, REL_WHEEL, REL_HWHEEL, REL_WHEEL_HI_RES, REL_HWHEEL_HI_RES};

// KEY_ESC through KEY_D make udev call the device a keyboard; the mapped keys
// are what can actually arrive.
std::vector<uint16_t> makeKeyboardKeys() {
    std::vector<uint16_t> keys;
    for (uint16_t key = KEY_ESC; key <= KEY_D; ++key) {
        keys.push_back(key);
    }
    for (const MacKeyMapping& mapping : macKeyMappings()) {
        keys.push_back(mapping.linuxKey);
    }
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    return keys;
}

const std::vector<uint16_t>& keyboardKeys() {
    static const std::vector<uint16_t> keys = makeKeyboardKeys();
    return keys;
}

}  // namespace

const UinputDeviceLayout& uinputDeviceLayout(UinputDeviceRole role, PointerMotion motion) {
    // A plain relative mouse, which the desktop accelerates as it does the
    // user's own.
    static const UinputDeviceLayout mouse = {UinputDeviceRole::pointer,
                                             "Draw Quill Mouse",
                                             "drawlume-agent/mouse",
                                             BUS_VIRTUAL,
                                             kVendor,
                                             0x0004,
                                             1,
                                             kPointerKeys,
                                             {},
                                             kMouseAxes,
                                             {}};
    if (role == UinputDeviceRole::pointer && motion == PointerMotion::relative) {
        return mouse;
    }
    // The pen's name shares no three-letter run with a display maker's EDID
    // code, so no compositor ties it to a monitor by name. Pointers and
    // keyboards are never tied to a monitor, so their names are free.
    static const std::array<UinputDeviceLayout, kUinputDeviceRoleCount> layouts = {{
        {UinputDeviceRole::pen,
         "Draw Quill",
         "drawlume-agent/pen",
         BUS_VIRTUAL,
         kVendor,
         0x0001,
         1,
         kPenKeys,
         kPenAxes,
         {},
         kPenProperties},
        {UinputDeviceRole::pointer,
         "Draw Quill Pointer",
         "drawlume-agent/pointer",
         BUS_VIRTUAL,
         kVendor,
         0x0002,
         1,
         kPointerKeys,
         kPointerAxes,
         kPointerWheels,
         {}},
        {UinputDeviceRole::keyboard,
         "Draw Quill Keyboard",
         "drawlume-agent/keyboard",
         BUS_VIRTUAL,
         kVendor,
         0x0003,
         1,
         keyboardKeys(),
         {},
         {},
         {}},
    }};
    return layouts[static_cast<size_t>(role)];
}

}  // namespace drawlume
