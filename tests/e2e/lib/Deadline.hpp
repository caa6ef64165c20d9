#pragma once

#include <chrono>
#include <cstdint>

namespace drawlume::e2e {

// A point in time after which a wait gives up. Every blocking call of the end-to-end
// programs takes one, so that a kernel that never answers fails a check instead of
// hanging the virtual machine.
class Deadline {
public:
    explicit Deadline(std::chrono::milliseconds budget)
        : end_(std::chrono::steady_clock::now() + budget) {}

    static Deadline afterMs(int64_t milliseconds) {
        return Deadline(std::chrono::milliseconds(milliseconds));
    }

    bool expired() const { return std::chrono::steady_clock::now() >= end_; }

    // What is left, for poll(2): never negative, 0 once expired.
    int remainingMs() const {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            end_ - std::chrono::steady_clock::now());
        return left.count() > 0 ? static_cast<int>(left.count()) : 0;
    }

    // The earlier of this deadline and one that ends `milliseconds` from now.
    Deadline capped(int64_t milliseconds) const {
        Deadline other = afterMs(milliseconds);
        return other.end_ < end_ ? other : *this;
    }

private:
    std::chrono::steady_clock::time_point end_;
};

// CLOCK_MONOTONIC in nanoseconds, the clock of the latency figures.
int64_t monotonicNs();

// Sleeps for a while (used between polls of sysfs, which has no change notification
// without udev).
void sleepMs(int milliseconds);

}  // namespace drawlume::e2e
