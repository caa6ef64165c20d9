#pragma once

#include <cstdint>

namespace drawlume {

// The three clocks the core reads, behind one interface so that tests set time.
class Clocks {
public:
    virtual ~Clocks() = default;

    // Monotonic host time in nanoseconds; never goes back, unrelated to the wall clock.
    virtual uint64_t monotonicNanoseconds() const = 0;
    // Seconds since the machine started.
    virtual double uptimeSeconds() const = 0;
    // Wall-clock seconds since 2001-01-01 00:00:00 UTC.
    virtual double secondsSinceReferenceDate() const = 0;
};

class SystemClocks final : public Clocks {
public:
    static const SystemClocks& shared();

    uint64_t monotonicNanoseconds() const override;
    double uptimeSeconds() const override;
    double secondsSinceReferenceDate() const override;
};

// Seconds between the Unix epoch and 2001-01-01 00:00:00 UTC.
inline constexpr double kSecondsFromUnixEpochToReferenceDate = 978307200.0;

}  // namespace drawlume
