#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace drawlume {

// One argument of a format text: a whole number, a number with a fraction or
// a text. The kind decides which conversions may take it.
using FormatArgument = std::variant<int64_t, double, std::string_view>;

// Fills a printf-style format that comes from a string table, where a
// translator may have written anything. Every conversion is checked against
// the arguments actually given before anything is printed:
//   - %d %i %u %o %x %X take a whole number (any length modifier: the value
//     is printed in full), %f %F %e %E %g %G %a %A a number with a fraction,
//     %s and %@ a text; %% is a percent sign;
//   - flags, and a width and precision of at most 100 written as digits, are
//     allowed ('*' is not);
//   - arguments are taken in order, or all by position (%2$s); every argument
//     must be used and none beyond them referred to.
// Anything else (%n, %p, %c, wide texts, a kind mismatch, a missing or extra
// conversion, a lone % at the end) rejects the format: the result is nothing
// and problem, when given, says why. A rejected format never reads an argument.
std::optional<std::string> formatChecked(std::string_view format,
                                         std::span<const FormatArgument> arguments,
                                         std::string* problem = nullptr);

}  // namespace drawlume
