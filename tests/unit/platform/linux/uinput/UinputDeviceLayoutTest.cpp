#include <algorithm>
#include <cctype>
#include <cmath>
#include <fstream>
#include <initializer_list>
#include <set>
#include <string>

#include <gtest/gtest.h>
#include <linux/input.h>

#include "platform/linux/uinput/MacKeyCodeMap.hpp"
#include "platform/linux/uinput/PointerSession.hpp"
#include "platform/linux/uinput/UinputDeviceLayout.hpp"

namespace drawlume {
namespace {

const UinputAxis* axis(const UinputDeviceLayout& layout, uint16_t code) {
    for (const UinputAxis& candidate : layout.absoluteAxes) {
        if (candidate.code == code) {
            return &candidate;
        }
    }
    return nullptr;
}

bool hasKeys(const UinputDeviceLayout& layout, std::initializer_list<uint16_t> codes, bool has) {
    return std::all_of(codes.begin(), codes.end(), [&](uint16_t code) {
        return (std::find(layout.keys.begin(), layout.keys.end(), code) != layout.keys.end()) ==
               has;
    });
}

// udev calls a device a tablet for ABS_X/ABS_Y with a pen tool, a mouse for
// absolute axes with a left button and no touch or pen, a keyboard for the
// first row of keys; libinput takes mixed devices for something else. The VM
// run checks how libinput classifies the three; here, what it does not show.
TEST(UinputDeviceLayoutTest, EachDeviceHasOnlyTheCapabilitiesOfItsRole) {
    const UinputDeviceLayout& pen = uinputDeviceLayout(UinputDeviceRole::pen);
    EXPECT_TRUE(
        hasKeys(pen, {BTN_TOOL_PEN, BTN_TOOL_RUBBER, BTN_TOUCH, BTN_STYLUS, BTN_STYLUS2}, true));
    EXPECT_TRUE(hasKeys(pen, {BTN_LEFT}, false) && pen.relativeAxes.empty());
    EXPECT_EQ(axis(pen, ABS_X)->resolution, axis(pen, ABS_Y)->resolution);
    EXPECT_EQ(std::vector<uint16_t>(pen.properties.begin(), pen.properties.end()),
              std::vector<uint16_t>{INPUT_PROP_DIRECT});

    const UinputDeviceLayout& pointer = uinputDeviceLayout(UinputDeviceRole::pointer);
    EXPECT_TRUE(hasKeys(pointer, {BTN_TOUCH, BTN_TOOL_PEN, BTN_STYLUS}, false));
    EXPECT_TRUE(hasKeys(pointer, {BTN_LEFT, BTN_RIGHT, BTN_MIDDLE}, true));
    EXPECT_TRUE(axis(pointer, ABS_PRESSURE) == nullptr && pointer.properties.empty());
    EXPECT_EQ(std::set<uint16_t>(pointer.relativeAxes.begin(), pointer.relativeAxes.end()),
              (std::set<uint16_t>{REL_WHEEL, REL_HWHEEL, REL_WHEEL_HI_RES, REL_HWHEEL_HI_RES}));

    // Every key the companion can send, not only those the VM run types.
    const UinputDeviceLayout& keyboard = uinputDeviceLayout(UinputDeviceRole::keyboard);
    for (const MacKeyMapping& mapping : macKeyMappings()) {
        EXPECT_TRUE(hasKeys(keyboard, {mapping.linuxKey}, true)) << mapping.linuxKey;
    }
    EXPECT_TRUE(hasKeys(keyboard, {BTN_LEFT}, false) && keyboard.absoluteAxes.empty());
}

// Only an X server says where the pointer is: elsewhere the companion's
// mouse moves a relative pointer with its buttons and wheels on it.
TEST(UinputDeviceLayoutTest, ThePointerIsRelativeWhereTheSessionHidesThePointer) {
    struct Case {
        const char* session;
        SessionEnvironment environment;
        PointerMotion motion;
    };
    const Case cases[] = {
        {"X11 session", {"x11", "", ":0"}, PointerMotion::absolute},
        {"Wayland session with Xwayland", {"wayland", "wayland-0", ":1"}, PointerMotion::relative},
        {"Wayland session, type only", {"wayland", "", ""}, PointerMotion::relative},
        {"headless, no display", {"tty", "", ""}, PointerMotion::absolute},
        {"headless with an X display", {"", "", ":0"}, PointerMotion::absolute},
        {"headless with a Wayland display", {"", "wayland-1", ""}, PointerMotion::relative},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(choosePointerMotion(c.environment).motion, c.motion) << c.session;
    }
    const UinputDeviceLayout& pointer =
        uinputDeviceLayout(UinputDeviceRole::pointer, PointerMotion::relative);
    EXPECT_EQ(std::set<uint16_t>(pointer.relativeAxes.begin(), pointer.relativeAxes.end()),
              (std::set<uint16_t>{REL_X, REL_Y, REL_WHEEL, REL_HWHEEL, REL_WHEEL_HI_RES,
                                  REL_HWHEEL_HI_RES}));
    EXPECT_TRUE(hasKeys(pointer, {BTN_LEFT, BTN_RIGHT, BTN_MIDDLE}, true));
}

// GNOME ties a tablet it does not know to one monitor when a maker's EDID
// code appears anywhere in the tablet's name, in any case, or when the
// tablet's size is within 5 % of a monitor's: then the pen no longer spans
// the desktop the agent aims over.
TEST(UinputDeviceLayoutTest, NoDesktopTiesThePenToAMonitorByNameOrSize) {
    const UinputDeviceLayout& pen = uinputDeviceLayout(UinputDeviceRole::pen);
    const auto upper = [](std::string text) {
        std::transform(text.begin(), text.end(), text.begin(), ::toupper);
        return text;
    };
    std::ifstream ids("/usr/share/hwdata/pnp.ids");
    ASSERT_TRUE(ids) << "hwdata's pnp.ids is missing";
    int codes = 0;
    for (std::string line; std::getline(ids, line);) {
        if (line.size() >= 4 && line[3] == '\t') {
            EXPECT_EQ(upper(pen.name).find(upper(line.substr(0, 3))), std::string::npos) << line;
            ++codes;
        }
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
