#include <cmath>

#include <gtest/gtest.h>

#include "input/PointerAccelerator.hpp"

namespace drawlume {
namespace {

TEST(AccelerationFactorTest, MatchesTheSampleGainsToSixPlaces) {
    const std::pair<double, double> samples[] = {
        {10, 0.736150},   {100, 1.078469},  {132, 1.200464},  {500, 2.614021},   {1000, 4.550127},
        {2376, 6.549605}, {3000, 6.646585}, {5000, 5.985791}, {10000, 4.627217},
    };
    for (const auto& [speed, gain] : samples) {
        EXPECT_NEAR(PointerAccelerator::accelerationFactor(speed), gain, 5e-7) << speed;
    }
}

TEST(PointerAcceleratorTest, TheFirstMoveOfABurstPassesUnscaledAndAPauseBeyondTheGapStartsOver) {
    PointerAccelerator accelerator([] { return true; });
    EXPECT_EQ(accelerator.accelerate(40, -30, 5.0), (PointerAccelerator::Delta{40, -30}));

    accelerator.accelerate(3, 3, 5.008);  // leaves fractions behind
    ASSERT_NE(accelerator.remainderX(), 0.0);
    // After a pause longer than the burst gap everything starts again...
    EXPECT_EQ(accelerator.accelerate(40, -30, 5.2), (PointerAccelerator::Delta{40, -30}));
    EXPECT_EQ(accelerator.windowSize(), 0u);
    EXPECT_EQ(accelerator.remainderX(), 0.0);

    // ...while a gap of exactly the burst gap (0.2 - 0.1 is exactly 0.1) continues it.
    PointerAccelerator continued([] { return true; });
    continued.accelerate(1, 0, 0.1);
    continued.accelerate(1, 0, 0.2);
    EXPECT_EQ(continued.windowSize(), 1u);
}

TEST(PointerAcceleratorTest, CarriedFractionsAddUpToTheScaledMotion) {
    // Single counts 90 ms apart: the window only ever holds the latest move
    // and the speed is always 1 / 0.09 counts per second, a gain of about 0.74. Every move comes
    // out as 0 or 1 and nothing of the motion is lost.
    PointerAccelerator accelerator([] { return true; });
    const double gain = PointerAccelerator::accelerationFactor(1 / 0.09);
    ASSERT_NEAR(gain, 0.740, 1e-3);
    accelerator.accelerate(1, 0, 10.0);
    double moved = 0;
    constexpr int kMoves = 200;
    for (int i = 1; i <= kMoves; ++i) {
        // Times as multiples of 90 ms from 10 s keep every gap at 0.09 within rounding.
        const double x = accelerator.accelerate(1, 0, 10.0 + i * 0.09).x;
        EXPECT_TRUE(x == 0 || x == 1) << x;
        moved += x;
        EXPECT_LE(std::abs(moved - i * gain), 0.5 + 1e-9);
    }
    EXPECT_NEAR(moved + accelerator.remainderX(), kMoves * gain, 1e-6);
}

}  // namespace
}  // namespace drawlume
