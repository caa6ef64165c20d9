#pragma once

#include <cstdint>

#include "util/Clocks.hpp"

namespace drawlume {

// Time as a recording tells it: every clock stands where the report being
// played was recorded, so that click intervals and report timing come out as
// they did when it was recorded, however fast it is played.
class ReplayClocks final : public Clocks {
public:
    // A machine up for a while, on 2025-01-01 00:00:00 UTC, when playing begins.
    static constexpr int64_t kUptimeAtStartMicroseconds = 1000 * 1000000LL;
    static constexpr double kReferenceDateAtStart = 757382400.0;

    uint64_t monotonicNanoseconds() const override {
        return static_cast<uint64_t>(kUptimeAtStartMicroseconds + elapsed_) * 1000;
    }
    double uptimeSeconds() const override {
        return static_cast<double>(kUptimeAtStartMicroseconds + elapsed_) / 1e6;
    }
    double secondsSinceReferenceDate() const override {
        return kReferenceDateAtStart + static_cast<double>(elapsed_) / 1e6;
    }

    int64_t elapsedMicroseconds() const { return elapsed_; }
    void setElapsedMicroseconds(int64_t elapsed) { elapsed_ = elapsed; }

private:
    int64_t elapsed_ = 0;
};

}  // namespace drawlume
