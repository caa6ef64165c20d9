#pragma once

#include <cmath>
#include <cstdint>

#include "util/Clocks.hpp"

namespace drawlume {

// Clocks that stand still until the test moves them; advance() moves all three.
class ManualClocks final : public Clocks {
public:
    uint64_t monotonicNanoseconds() const override { return monotonicNanoseconds_; }
    double uptimeSeconds() const override { return uptimeSeconds_; }
    double secondsSinceReferenceDate() const override { return secondsSinceReferenceDate_; }

    void advance(double seconds) {
        monotonicNanoseconds_ += static_cast<uint64_t>(std::llround(seconds * 1e9));
        uptimeSeconds_ += seconds;
        secondsSinceReferenceDate_ += seconds;
    }
    void setMonotonicNanoseconds(uint64_t value) { monotonicNanoseconds_ = value; }
    void setSecondsSinceReferenceDate(double value) { secondsSinceReferenceDate_ = value; }

private:
    // Arbitrary but realistic starting points: nothing may assume zero.
    uint64_t monotonicNanoseconds_ = 1'000'000'000'000u;
    double uptimeSeconds_ = 3600.0;
    double secondsSinceReferenceDate_ = 786'000'000.0;  // late 2025
};

}  // namespace drawlume
