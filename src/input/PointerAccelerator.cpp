#include "input/PointerAccelerator.hpp"

#include <cmath>
#include <utility>

namespace drawlume {

namespace {

constexpr double kBurstGap = 0.1;           // seconds; a longer pause starts a new burst
constexpr double kSpeedWindow = 0.04;       // seconds of moves that the speed is taken from
constexpr double kMinimumInterval = 0.016;  // the speed's time base is never shorter
constexpr double kSpeedDivisor = 132.0;     // counts per second per unit of curve input

// The curve: a cubic polynomial up to t1, its tangent from t1 to t2, then a
// square root that meets the tangent at t2 with the same value and slope. The
// coefficients are 16.16 fixed-point values.
constexpr double kLinearGain = 62915.0 / 65536.0;
constexpr double kQuadraticGain = 54395.0 / 65536.0;
constexpr double kCubicGain = 7864.0 / 65536.0;
constexpr double kFirstTangentPoint = 465306.0 / 65536.0;
constexpr double kValueAtFirstTangentPoint = 42.16211176802614;
constexpr double kTangentSlope = 11.003732275458923;
constexpr double kSecondTangentPoint = 18.0;
constexpr double kOutputScale = 0.7272727272727273;  // 8/11
constexpr double kGainAtNoSpeed = 0.6981867009943182;

// Derived from the above in this order, in double precision.
constexpr double kTangentIntercept =
    kTangentSlope * -kFirstTangentPoint + kValueAtFirstTangentPoint;
constexpr double kValueAtSecondTangentPoint =
    kTangentSlope * kSecondTangentPoint + kTangentIntercept;
constexpr double kRootSlope = (kTangentSlope + kTangentSlope) * kValueAtSecondTangentPoint;
constexpr double kRootOffset =
    kValueAtSecondTangentPoint * kValueAtSecondTangentPoint + kRootSlope * -kSecondTangentPoint;

}  // namespace

PointerAccelerator::PointerAccelerator(AllowedCheck isAllowed) : isAllowed_(std::move(isAllowed)) {}

double PointerAccelerator::accelerationFactor(double speed) {
    const double x = speed / kSpeedDivisor;
    if (!(x > 0)) {  // also catches not-a-number
        return kGainAtNoSpeed;
    }
    double y = 0;
    if (x <= kFirstTangentPoint) {
        const double quadratic = x * kQuadraticGain;
        y = x * kLinearGain + quadratic * quadratic + std::pow(x * kCubicGain, 3);
    } else if (x <= kSecondTangentPoint) {
        y = x * kTangentSlope + kTangentIntercept;
    } else {
        y = std::sqrt(x * kRootSlope + kRootOffset);
    }
    return (y / x) * kOutputScale;
}

void PointerAccelerator::startBurst(double now) {
    accelerating_ = isAllowed_ ? isAllowed_() : true;
    first_ = 0;
    count_ = 0;
    remainderX_ = 0;
    remainderY_ = 0;
    predecessorArrival_ = now;
    lastArrival_ = now;
}

void PointerAccelerator::dropMovesOlderThan(double now) {
    // An entry exactly as old as the window stays.
    while (count_ > 0 && now - moves_[first_].arrival > kSpeedWindow) {
        predecessorArrival_ = moves_[first_].arrival;
        first_ = (first_ + 1) % kWindowCapacity;
        --count_;
    }
}

void PointerAccelerator::append(Move move) {
    if (count_ == kWindowCapacity) {
        predecessorArrival_ = moves_[first_].arrival;
        first_ = (first_ + 1) % kWindowCapacity;
        --count_;
    }
    moves_[(first_ + count_) % kWindowCapacity] = move;
    ++count_;
}

double PointerAccelerator::windowDistance() const {
    double total = 0;
    for (size_t i = 0; i < count_; ++i) {
        total += moves_[(first_ + i) % kWindowCapacity].distance;
    }
    return total;
}

PointerAccelerator::Delta PointerAccelerator::accelerate(int dx, int dy, double timestamp) {
    const double now = timestamp;
    if (!lastArrival_ || now - *lastArrival_ > kBurstGap) {
        // The first move of a burst has no speed yet: it passes unscaled and
        // stays out of the window.
        startBurst(now);
        return {static_cast<double>(dx), static_cast<double>(dy)};
    }
    lastArrival_ = now;
    if (!accelerating_) {
        return {static_cast<double>(dx), static_cast<double>(dy)};
    }
    dropMovesOlderThan(now);
    const int64_t squares = static_cast<int64_t>(dx) * dx + static_cast<int64_t>(dy) * dy;
    append(Move{now, std::sqrt(static_cast<double>(squares))});

    double interval = now - predecessorArrival_;
    if (interval <= kMinimumInterval) {
        interval = kMinimumInterval;
    }
    const double gain = accelerationFactor(windowDistance() / interval);

    const double x = dx * gain + remainderX_;
    const double y = dy * gain + remainderY_;
    // std::round takes halves away from zero.
    const double roundedX = std::round(x);
    const double roundedY = std::round(y);
    remainderX_ = x - roundedX;
    remainderY_ = y - roundedY;
    return {roundedX, roundedY};
}

}  // namespace drawlume
