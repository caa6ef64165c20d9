#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "platform/linux/uinput/UinputCoordinateMapper.hpp"

namespace drawlume {
namespace {

constexpr double kSteps = 32768.0;

// What libinput does with an absolute axis value: scale it onto the desktop
// and take the pixel it falls in.
int libinputPixel(int32_t value, double length) {
    return static_cast<int>(std::floor(value * length / kSteps));
}

// What Xorg's libinput driver and the server do: libinput scales the value to
// the driver's 0..65535, the server that range onto the desktop, and the
// pointer sits on the whole pixel (the driver may hand over whole units).
int xPixel(int32_t value, double length) {
    const double driver = std::floor(value * 65535.0 / kSteps);
    return static_cast<int>(std::floor(driver * length / 65536.0));
}

struct Layout {
    const char* name;
    std::vector<ScreenDescription> screens;  // bottom-left frames, the primary first
};

TEST(UinputCoordinateMapperTest, EveryColumnAndRowLandsOnItsPixelThroughLibinputAndX) {
    const Layout layouts[] = {
        {"3840 x 2160", {{"", Rect{{0, 0}, {3840, 2160}}}}},
        {"3840 x 1080 side by side",
         {{"", Rect{{0, 0}, {1920, 1080}}}, {"", Rect{{1920, 0}, {1920, 1080}}}}},
        // A 2560 x 1440 display left of the primary and 360 above it: the
        // desktop starts at (-2560, -360) in event coordinates.
        {"offset pair", {{"", Rect{{0, 0}, {1920, 1080}}}, {"", Rect{{-2560, 0}, {2560, 1440}}}}},
        {"800 x 600", {{"", Rect{{0, 0}, {800, 600}}}}},
    };
    int checked = 0;
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(layout.name);
        UinputCoordinateMapper mapper(0, 32767);
        mapper.setScreens(layout.screens);
        const Rect& desktop = mapper.desktopBounds();
        for (int column = 0; column < static_cast<int>(desktop.width()); ++column) {
            const int32_t value = mapper.axisX(desktop.minX() + column);
            ASSERT_EQ(libinputPixel(value, desktop.width()), column);
            ASSERT_EQ(xPixel(value, desktop.width()), column);
            ++checked;
        }
        for (int row = 0; row < static_cast<int>(desktop.height()); ++row) {
            const int32_t value = mapper.axisY(desktop.minY() + row);
            ASSERT_EQ(libinputPixel(value, desktop.height()), row);
            ASSERT_EQ(xPixel(value, desktop.height()), row);
            ++checked;
        }
    }
    // Every column and row of the four desktops above.
    EXPECT_EQ(checked, 3840 + 2160 + 3840 + 1080 + 4480 + 1440 + 800 + 600);
}

TEST(UinputCoordinateMapperTest, APenRangedOverOneDisplayHitsEachOfItsPixels) {
    // A 3840 x 2160 display right of the primary and 540 rows lower, its top
    // edge at y 540 in event coordinates. The desktop spreads the pen over
    // that output alone, as libinput scales it onto the output's pixels.
    const std::vector<ScreenDescription> screens{{"eDP-1", Rect{{0, 0}, {1920, 1080}}},
                                                 {"DP-1", Rect{{1920, -1620}, {3840, 2160}}}};
    UinputCoordinateMapper mapper(0, 32767);
    mapper.setScreens(screens);
    const Rect display = eventFrame(screens[1].frame, screens[0].frame);
    ASSERT_EQ(display, (Rect{{1920, 540}, {3840, 2160}}));
    mapper.setArea(display);
    int64_t missed = 0;
    for (int row = 0; row < 2160; ++row) {
        const int32_t y = mapper.axisY(display.minY() + row);
        for (int column = 0; column < 3840; ++column) {
            const int32_t x = mapper.axisX(display.minX() + column);
            missed += libinputPixel(x, 3840) != column || libinputPixel(y, 2160) != row ? 1 : 0;
        }
    }
    EXPECT_EQ(missed, 0);
    // The primary's centre does not move with the pen's area.
    EXPECT_EQ(mapper.primaryCentre(), (Point{960, 540}));
}

TEST(UinputCoordinateMapperTest, BoundsAndPrimaryCentreFollowTheDisplayArrangement) {
    UinputCoordinateMapper mapper(0, 32767);
    // Primary 1920 x 1080; a 1280 x 1024 display to its right, bottom-aligned
    // (frame origin y 0), and one above the primary.
    mapper.setScreens(std::vector<ScreenDescription>{
        {"Primary", Rect{{0, 0}, {1920, 1080}}},
        {"Right", Rect{{1920, 0}, {1280, 1024}}},
        {"Above", Rect{{0, 1080}, {1920, 1080}}},
    });
    EXPECT_EQ(mapper.desktopBounds(), (Rect{{0, -1080}, {3200, 2160}}));
    EXPECT_EQ(mapper.primaryCentre(), (Point{960, 540}));
    EXPECT_EQ(mapper.axisY(-1080), 7);
    EXPECT_EQ(mapper.axisY(0), 16391);

    mapper.setScreens({});
    EXPECT_FALSE(mapper.hasScreens());
    EXPECT_EQ(mapper.axisX(500), 0);
    EXPECT_EQ(mapper.axisX(std::nan("")), 0);
}

}  // namespace
}  // namespace drawlume
