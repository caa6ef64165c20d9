#include <cmath>
#include <limits>

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

TEST(AccelerationFactorTest, NoSpeedOrNotANumberGivesTheGainAtRest) {
    for (const double speed : {0.0, -1.0, -1e9, std::numeric_limits<double>::quiet_NaN()}) {
        EXPECT_EQ(PointerAccelerator::accelerationFactor(speed), 0.6981867009943182) << speed;
    }
}

TEST(AccelerationFactorTest, ThePiecesMeetWithoutAJumpAndTheGainPeaksNearX21) {
    // Curve input x is the speed divided by 132; the pieces join at x = t1 and 18.
    const auto gainAt = [](double x) { return PointerAccelerator::accelerationFactor(x * 132.0); };
    const double t1 = 465306.0 / 65536.0;
    for (const double joint : {t1, 18.0}) {
        EXPECT_NEAR(gainAt(joint * (1 - 1e-12)), gainAt(joint * (1 + 1e-12)), 1e-9) << joint;
    }
    const double peak = gainAt(21.27);
    EXPECT_NEAR(peak, 6.66, 0.005);
    EXPECT_LT(gainAt(20.5), peak);
    EXPECT_LT(gainAt(22.0), peak);
}

TEST(PointerAcceleratorTest, TheFirstMoveOfABurstPassesUnscaledAndAPauseBeyondTheGapStartsOver) {
    PointerAccelerator accelerator([] { return true; });
    EXPECT_EQ(accelerator.accelerate(40, -30, 5.0), (PointerAccelerator::Delta{40, -30}));
    EXPECT_EQ(accelerator.windowSize(), 0u);
    EXPECT_EQ(accelerator.remainderX(), 0.0);
    EXPECT_EQ(accelerator.remainderY(), 0.0);
    EXPECT_TRUE(accelerator.accelerating());

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

TEST(PointerAcceleratorTest, TheSystemIsAskedOncePerBurstAndItsAnswerHoldsForTheBurst) {
    bool allowed = false;
    int asked = 0;
    PointerAccelerator accelerator([&] {
        ++asked;
        return allowed;
    });
    accelerator.accelerate(5, 5, 1.0);
    allowed = true;  // changes in the middle of the burst do not count
    for (int i = 1; i <= 10; ++i) {
        EXPECT_EQ(accelerator.accelerate(20, -20, 1.0 + i * 0.008),
                  (PointerAccelerator::Delta{20, -20}));
    }
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(accelerator.accelerating());

    accelerator.accelerate(5, 5, 2.0);
    accelerator.accelerate(20, -20, 2.008);
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(accelerator.accelerating());
}

TEST(PointerAcceleratorTest, MovesCloserThanTheMinimumIntervalAreTimedOverIt) {
    PointerAccelerator accelerator([] { return true; });
    accelerator.accelerate(1, 0, 1.0);
    const double gain = PointerAccelerator::accelerationFactor(10 / 0.016);
    const PointerAccelerator::Delta moved = accelerator.accelerate(10, 0, 1.001);
    EXPECT_EQ(moved.x, std::round(10 * gain));
    EXPECT_DOUBLE_EQ(accelerator.remainderX(), 10 * gain - std::round(10 * gain));
}

TEST(PointerAcceleratorTest, AnEntryExactlyAsOldAsTheWindowStaysAndLeaversSetTheTimeBase) {
    PointerAccelerator accelerator([] { return true; });
    accelerator.accelerate(1, 0, 0.0);
    accelerator.accelerate(3, 4, 0.01);
    accelerator.accelerate(3, 4, 0.05);  // 0.05 - 0.01 is exactly 0.04
    EXPECT_EQ(accelerator.windowSize(), 2u);
    EXPECT_EQ(accelerator.predecessorArrival(), 0.0);

    // Now both entries are older than the window; the newer of them, 0.05,
    // becomes the time base.
    accelerator.accelerate(3, 4, 0.0901);
    EXPECT_EQ(accelerator.windowSize(), 1u);
    EXPECT_EQ(accelerator.predecessorArrival(), 0.05);
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

TEST(PointerAcceleratorTest, MotionTheOtherWayIsTheExactMirrorImage) {
    // Halves round away from zero, so the rounding treats both signs alike.
    PointerAccelerator forward([] { return true; });
    PointerAccelerator backward([] { return true; });
    for (int i = 0; i < 100; ++i) {
        const double time = 3.0 + i * 0.007;
        const int dx = 1 + i % 5;
        const int dy = i % 3;
        const PointerAccelerator::Delta ahead = forward.accelerate(dx, dy, time);
        const PointerAccelerator::Delta back = backward.accelerate(-dx, -dy, time);
        ASSERT_EQ(ahead.x, -back.x) << i;
        ASSERT_EQ(ahead.y, -back.y) << i;
    }
}

TEST(PointerAcceleratorTest, AWindowThatWouldOverflowDropsItsOldestMove) {
    // A device that sends hundreds of moves with one time stamp must not grow
    // the window without bound.
    PointerAccelerator accelerator([] { return true; });
    accelerator.accelerate(1, 0, 1.0);
    for (int i = 0; i < 1000; ++i) {
        const PointerAccelerator::Delta moved = accelerator.accelerate(127, -128, 1.0);
        ASSERT_TRUE(std::isfinite(moved.x) && std::isfinite(moved.y));
    }
    EXPECT_EQ(accelerator.windowSize(), PointerAccelerator::kWindowCapacity);
}

}  // namespace
}  // namespace drawlume
