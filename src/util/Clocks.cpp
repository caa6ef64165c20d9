#include "util/Clocks.hpp"

#include <ctime>

namespace drawlume {

namespace {

timespec now(clockid_t clock) {
    timespec value{};
    ::clock_gettime(clock, &value);
    return value;
}

}  // namespace

const SystemClocks& SystemClocks::shared() {
    static const SystemClocks clocks;
    return clocks;
}

uint64_t SystemClocks::monotonicNanoseconds() const {
    const timespec value = now(CLOCK_MONOTONIC);
    return static_cast<uint64_t>(value.tv_sec) * 1'000'000'000u +
           static_cast<uint64_t>(value.tv_nsec);
}

double SystemClocks::uptimeSeconds() const {
    // CLOCK_MONOTONIC stops during suspend, as the uptime the rules expect does.
    const timespec value = now(CLOCK_MONOTONIC);
    return static_cast<double>(value.tv_sec) + static_cast<double>(value.tv_nsec) * 1e-9;
}

double SystemClocks::secondsSinceReferenceDate() const {
    const timespec value = now(CLOCK_REALTIME);
    return static_cast<double>(value.tv_sec) - kSecondsFromUnixEpochToReferenceDate +
           static_cast<double>(value.tv_nsec) * 1e-9;
}

}  // namespace drawlume
