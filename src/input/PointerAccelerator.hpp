#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

namespace drawlume {

// Speed-dependent gain for relative pointer motion. The speed is estimated
// from the moves of the last 40 ms of a burst (moves no more than 0.1 s
// apart), turned into a gain by a fixed three-piece curve, and the fractions
// that rounding leaves are carried to the next move so slow motion is not lost.
class PointerAccelerator {
public:
    // Asked once at the start of every burst: may this burst be accelerated?
    using AllowedCheck = std::function<bool()>;

    struct Delta {
        double x = 0;
        double y = 0;
        bool operator==(const Delta&) const = default;
    };

    // At 1000 reports per second a 40 ms window holds 41 moves; a window that
    // would hold more drops its oldest entry as if it had left the window.
    static constexpr size_t kWindowCapacity = 128;

    explicit PointerAccelerator(AllowedCheck isAllowed);

    // The deltas to apply for one move arriving at `timestamp` (seconds on a
    // monotonic clock).
    Delta accelerate(int dx, int dy, double timestamp);

    // The gain for a speed in counts per second. Pure.
    static double accelerationFactor(double speed);

    bool accelerating() const { return accelerating_; }
    double remainderX() const { return remainderX_; }
    double remainderY() const { return remainderY_; }
    std::optional<double> lastArrival() const { return lastArrival_; }
    double predecessorArrival() const { return predecessorArrival_; }
    size_t windowSize() const { return count_; }

    // An axis that hit a display edge loses its carried fraction.
    void clearRemainderX() { remainderX_ = 0; }
    void clearRemainderY() { remainderY_ = 0; }

private:
    struct Move {
        double arrival = 0;
        double distance = 0;
    };

    void startBurst(double now);
    void dropMovesOlderThan(double now);
    void append(Move move);
    double windowDistance() const;

    AllowedCheck isAllowed_;
    bool accelerating_ = false;
    // The speed window as a ring, oldest first from first_.
    std::array<Move, kWindowCapacity> moves_{};
    size_t first_ = 0;
    size_t count_ = 0;
    double predecessorArrival_ = 0;
    std::optional<double> lastArrival_;
    double remainderX_ = 0;
    double remainderY_ = 0;
};

}  // namespace drawlume
