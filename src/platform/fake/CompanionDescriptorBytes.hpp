#pragma once

#include <cstdint>
#include <span>

namespace drawlume {

// The companion's report descriptor, as the test companions present it.
std::span<const uint8_t> companionDescriptorBytes();

}  // namespace drawlume
