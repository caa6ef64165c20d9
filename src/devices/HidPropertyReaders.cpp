#include "devices/HidPropertyReaders.hpp"

#include <charconv>
#include <cmath>

namespace drawlume {

std::optional<std::string> textProperty(const HidDevice& device, std::string_view key) {
    const HidPropertyValue value = device.getProperty(key);
    if (const auto* text = std::get_if<std::string>(&value)) {
        return *text;
    }
    if (const auto* integer = std::get_if<int64_t>(&value)) {
        return std::to_string(*integer);
    }
    if (const auto* number = std::get_if<double>(&value)) {
        char digits[32];
        const auto written = std::to_chars(digits, digits + sizeof digits, *number);
        return std::string(digits, written.ptr);
    }
    return std::nullopt;
}

std::optional<int64_t> integerProperty(const HidDevice& device, std::string_view key) {
    const HidPropertyValue value = device.getProperty(key);
    if (const auto* integer = std::get_if<int64_t>(&value)) {
        return *integer;
    }
    if (const auto* number = std::get_if<double>(&value)) {
        const double truncated = std::trunc(*number);
        // -2^63 is representable; 2^63 is not.
        if (std::isfinite(truncated) && truncated >= -9223372036854775808.0 &&
            truncated < 9223372036854775808.0) {
            return static_cast<int64_t>(truncated);
        }
    }
    return std::nullopt;
}

}  // namespace drawlume
