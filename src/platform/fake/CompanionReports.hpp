#pragma once

#include <cstdint>
#include <vector>

#include "input/CompanionReportLayout.hpp"

namespace drawlume {

// The companion's digitizer report (ID 3) with its switches given as the
// report's flags byte, for tests and benchmarks that play the companion.
inline std::vector<uint8_t> digitizerReport(uint8_t flags, uint16_t x = 0, uint16_t y = 0,
                                            uint16_t pressure = 0, int8_t tiltX = 0,
                                            int8_t tiltY = 0, uint16_t twist = 0) {
    using namespace companion;
    const auto bytes =
        encode(PenReport{(flags & kPenTipBit) != 0, (flags & kPenBarrelBit) != 0,
                         (flags & kPenInvertBit) != 0, (flags & kPenEraserBit) != 0,
                         (flags & kPenInRangeBit) != 0, x, y, pressure, tiltX, tiltY, twist});
    return {bytes.begin(), bytes.end()};
}

}  // namespace drawlume
