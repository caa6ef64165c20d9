#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "settings/UserDefaults.hpp"

namespace drawlume {

// The integer reading of a stored value: an integer as it is, a Boolean as 1
// or 0, a text by its leading decimal number (blanks and a sign allowed, the
// rest ignored, saturated at the 64-bit limits) or 0; 0 when the key is absent.
int64_t integerForKey(const UserDefaults& defaults, std::string_view key);

// The text reading of a stored value: a text as it is, an integer in decimal,
// a Boolean as "1" or "0"; nothing when the key is absent.
std::optional<std::string> stringForKey(const UserDefaults& defaults, std::string_view key);

}  // namespace drawlume
