#pragma once

#include <cstdint>
#include <vector>

namespace drawlume {

// The companion's 12-byte digitizer report (ID 3), little-endian fields, for
// tests and benchmarks that play the companion.
inline std::vector<uint8_t> digitizerReport(uint8_t flags, uint16_t x = 0, uint16_t y = 0,
                                            uint16_t pressure = 0, int8_t tiltX = 0,
                                            int8_t tiltY = 0, uint16_t twist = 0) {
    return {3,
            flags,
            static_cast<uint8_t>(x),
            static_cast<uint8_t>(x >> 8),
            static_cast<uint8_t>(y),
            static_cast<uint8_t>(y >> 8),
            static_cast<uint8_t>(pressure),
            static_cast<uint8_t>(pressure >> 8),
            static_cast<uint8_t>(tiltX),
            static_cast<uint8_t>(tiltY),
            static_cast<uint8_t>(twist),
            static_cast<uint8_t>(twist >> 8)};
}

}  // namespace drawlume
