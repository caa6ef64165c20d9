#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "devices/HidDevice.hpp"

namespace drawlume {

// A property as text: a text as it is, a number in its text form (decimal
// digits for an integer); anything else, or nothing, gives nothing.
std::optional<std::string> textProperty(const HidDevice& device, std::string_view key);

// A property as a signed 64-bit integer: a non-integral number is truncated;
// a number beyond the range, a text, or nothing gives nothing.
std::optional<int64_t> integerProperty(const HidDevice& device, std::string_view key);

}  // namespace drawlume
