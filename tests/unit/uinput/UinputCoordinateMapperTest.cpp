#include <cmath>

#include <gtest/gtest.h>

#include "platform/linux/UinputCoordinateMapper.hpp"

namespace drawlume {
namespace {

// What a compositor does with an absolute axis value: scale it onto the
// desktop and take the pixel it falls in.
int landingPixel(int32_t value, double length) {
    return static_cast<int>(std::floor(value * length / 32768.0));
}

TEST(UinputCoordinateMapperTest, EveryWholePixelSurvivesTheRoundTripOnCommonDesktops) {
    for (const double width : {800.0, 1366.0, 1920.0, 3000.0, 3840.0 + 1920.0, 7680.0}) {
        UinputCoordinateMapper mapper(0, 32767);
        mapper.setScreens(std::vector<ScreenDescription>{{"", Rect{{0, 0}, {width, 1080}}}});
        for (int x = 0; x < static_cast<int>(width); ++x) {
            ASSERT_EQ(landingPixel(mapper.axisX(x), width), x) << "width " << width;
            // A point inside a pixel stays in it.
            ASSERT_EQ(landingPixel(mapper.axisX(x + 0.75), width), x) << "width " << width;
        }
    }
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
    EXPECT_EQ(mapper.axisY(-1080), 0);
    EXPECT_EQ(mapper.axisY(0), 16384);

    mapper.setScreens({});
    EXPECT_FALSE(mapper.hasScreens());
    EXPECT_EQ(mapper.axisX(500), 0);
    EXPECT_EQ(mapper.axisX(std::nan("")), 0);
}

}  // namespace
}  // namespace drawlume
