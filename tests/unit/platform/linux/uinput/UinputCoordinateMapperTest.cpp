#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "platform/linux/uinput/UinputCoordinateMapper.hpp"

namespace drawlume {
namespace {

constexpr double kSteps = 32768.0;

// What libinput does with an absolute axis value: scale it onto the desktop
// (or the one output it maps the pen to) and take the pixel it falls in.
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

// Each layout's every column and row, over the whole desktop and, where the
// desktop spreads the pen over one display alone, over that display.
TEST(UinputCoordinateMapperTest, EveryColumnAndRowLandsOnItsPixelThroughLibinputAndX) {
    struct Layout {
        const char* name;
        std::vector<ScreenDescription> screens;  // bottom-left frames, the primary first
        Rect desktop;                            // event coordinates
        int penOnly = -1;                        // the display the pen alone spans
    };
    const Layout layouts[] = {
        {"3840 x 2160", {{"", Rect{{0, 0}, {3840, 2160}}}}, Rect{{0, 0}, {3840, 2160}}},
        {"3840 x 1080 side by side",
         {{"", Rect{{0, 0}, {1920, 1080}}}, {"", Rect{{1920, 0}, {1920, 1080}}}},
         Rect{{0, 0}, {3840, 1080}}},
        // A 2560 x 1440 display left of the primary and 360 above it.
        {"offset pair",
         {{"", Rect{{0, 0}, {1920, 1080}}}, {"", Rect{{-2560, 0}, {2560, 1440}}}},
         Rect{{-2560, -360}, {4480, 1440}}},
        {"800 x 600", {{"", Rect{{0, 0}, {800, 600}}}}, Rect{{0, 0}, {800, 600}}},
        // A 3840 x 2160 display right of the primary and 540 rows lower, and
        // one above the primary.
        {"pen on the lower display",
         {{"eDP-1", Rect{{0, 0}, {1920, 1080}}},
          {"DP-1", Rect{{1920, -1620}, {3840, 2160}}},
          {"Above", Rect{{0, 1080}, {1920, 1080}}}},
         Rect{{0, -1080}, {5760, 3780}},
         1},
    };
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(layout.name);
        UinputCoordinateMapper mapper(0, 32767);
        mapper.setScreens(layout.screens);
        ASSERT_EQ(mapper.desktopBounds(), layout.desktop);
        const Point centre = mapper.primaryCentre();
        if (layout.penOnly >= 0) {
            const Rect display =
                eventFrame(layout.screens[layout.penOnly].frame, layout.screens[0].frame);
            ASSERT_EQ(display, (Rect{{1920, 540}, {3840, 2160}}));
            mapper.setArea(display);
        }
        // The primary's centre does not move with the pen's area.
        EXPECT_EQ(mapper.primaryCentre(), centre);
        EXPECT_EQ(centre, (Point{layout.screens[0].frame.width() / 2,
                                 layout.screens[0].frame.height() / 2}));
        const Rect& area = mapper.desktopBounds();
        for (int column = 0; column < static_cast<int>(area.width()); ++column) {
            const int32_t value = mapper.axisX(area.minX() + column);
            ASSERT_EQ(libinputPixel(value, area.width()), column);
            ASSERT_EQ(xPixel(value, area.width()), column);
        }
        for (int row = 0; row < static_cast<int>(area.height()); ++row) {
            const int32_t value = mapper.axisY(area.minY() + row);
            ASSERT_EQ(libinputPixel(value, area.height()), row);
            ASSERT_EQ(xPixel(value, area.height()), row);
        }
    }
}

}  // namespace
}  // namespace drawlume
