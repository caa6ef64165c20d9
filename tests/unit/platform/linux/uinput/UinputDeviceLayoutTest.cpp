#include <algorithm>
#include <cctype>
#include <cmath>
#include <fstream>
#include <set>
#include <string>

#include <gtest/gtest.h>
#include <linux/input.h>

#include "platform/linux/uinput/MacKeyCodeMap.hpp"
#include "platform/linux/uinput/PointerSession.hpp"
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

// Only an X server says where the pointer is: elsewhere the companion's
// mouse moves a relative pointer with its buttons and wheels on it.
TEST(UinputDeviceLayoutTest, ThePointerIsRelativeWhereTheSessionHidesThePointer) {
    struct Case {
        const char* session;
        SessionEnvironment environment;
        bool relative;
    };
    const Case cases[] = {
        {"X11 session", {"x11", "", ":0"}, false},
        {"Wayland session with Xwayland", {"wayland", "wayland-0", ":1"}, true},
        {"Wayland session, type only", {"wayland", "", ""}, true},
        {"headless, no display", {"tty", "", ""}, false},
        {"headless with an X display", {"", "", ":0"}, false},
        {"headless with a Wayland display", {"", "wayland-1", ""}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.session);
        const PointerSessionChoice choice = choosePointerMotion(c.environment);
        const UinputDeviceLayout& pointer =
            uinputDeviceLayout(UinputDeviceRole::pointer, choice.motion);
        const std::set<uint16_t> relative(pointer.relativeAxes.begin(), pointer.relativeAxes.end());
        EXPECT_EQ(relative.count(REL_X) == 1 && relative.count(REL_Y) == 1, c.relative);
        EXPECT_EQ(axis(pointer, ABS_X) == nullptr, c.relative);
        EXPECT_TRUE(relative.count(REL_WHEEL) == 1 && relative.count(REL_HWHEEL_HI_RES) == 1);
        EXPECT_TRUE(hasKey(pointer, BTN_LEFT) && hasKey(pointer, BTN_MIDDLE));
        // The pen and the keyboard stay what they are.
        EXPECT_EQ(&uinputDeviceLayout(UinputDeviceRole::pen, choice.motion),
                  &uinputDeviceLayout(UinputDeviceRole::pen));
    }
}

// GNOME ties a tablet it does not know to one monitor when a maker's EDID
// code appears anywhere in the tablet's name, in any case, or when the
// tablet's size is within 5 % of a monitor's: then the pen no longer spans
// the desktop the agent aims over.
TEST(UinputDeviceLayoutTest, NoDesktopTiesThePenToAMonitorByNameOrSize) {
    const UinputDeviceLayout& pen = uinputDeviceLayout(UinputDeviceRole::pen);
    std::string name = pen.name;
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    std::ifstream ids("/usr/share/hwdata/pnp.ids");
    ASSERT_TRUE(ids) << "hwdata's pnp.ids is missing";
    int codes = 0;
    for (std::string line; std::getline(ids, line);) {
        if (line.size() < 4 || line[3] != '\t') {
            continue;
        }
        std::string code = line.substr(0, 3);
        std::transform(code.begin(), code.end(), code.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        EXPECT_EQ(name.find(code), std::string::npos) << code << " " << line.substr(4);
        ++codes;
    }
    EXPECT_GT(codes, 2000);

    const UinputAxis& x = *axis(pen, ABS_X);
    const UinputAxis& y = *axis(pen, ABS_Y);
    const double width = (x.maximum - x.minimum + 1.0) / x.resolution;  // millimetres
    const double height = (y.maximum - y.minimum + 1.0) / y.resolution;
    struct Monitor {
        double diagonalInches, aspectWidth, aspectHeight;
    };
    // Laptops, desktop monitors and televisions in their usual shapes.
    const Monitor monitors[] = {
        {11.6, 16, 9}, {13.3, 16, 9}, {14, 16, 9},  {15.6, 16, 9}, {17.3, 16, 9}, {21.5, 16, 9},
        {24, 16, 9},   {27, 16, 9},   {32, 16, 9},  {43, 16, 9},   {55, 16, 9},   {13.3, 16, 10},
        {14, 16, 10},  {16, 16, 10},  {24, 16, 10}, {30, 16, 10},  {13.5, 3, 2},  {15, 4, 3},
        {17, 4, 3},    {19, 4, 3},    {17, 5, 4},   {19, 5, 4},    {29, 21, 9},   {34, 21, 9},
        {38, 21, 9},   {49, 32, 9},   {12.9, 4, 3}, {27, 1, 1},    {26.5, 1, 1}};
    for (const Monitor& monitor : monitors) {
        const double unit =
            monitor.diagonalInches * 25.4 / std::hypot(monitor.aspectWidth, monitor.aspectHeight);
        for (const bool portrait : {false, true}) {
            const double w = unit * (portrait ? monitor.aspectHeight : monitor.aspectWidth);
            const double h = unit * (portrait ? monitor.aspectWidth : monitor.aspectHeight);
            EXPECT_FALSE(std::fabs(width / w - 1) < 0.05 && std::fabs(height / h - 1) < 0.05)
                << monitor.diagonalInches << " inch, " << w << " x " << h << " mm";
        }
    }
}

}  // namespace
}  // namespace drawlume
