#include "settings/DefaultsReading.hpp"

#include <limits>
#include <type_traits>

namespace drawlume {

namespace {

int64_t leadingInteger(std::string_view text) {
    size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t' || text[at] == '\n')) {
        ++at;
    }
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    // Accumulated toward the sign so that the most negative value fits.
    int64_t value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        const int digit = text[at] - '0';
        if (negative) {
            if (value < (std::numeric_limits<int64_t>::min() + digit) / 10) {
                return std::numeric_limits<int64_t>::min();
            }
            value = value * 10 - digit;
        } else {
            if (value > (std::numeric_limits<int64_t>::max() - digit) / 10) {
                return std::numeric_limits<int64_t>::max();
            }
            value = value * 10 + digit;
        }
    }
    return value;
}

}  // namespace

int64_t integerForKey(const UserDefaults& defaults, std::string_view key) {
    const std::optional<DefaultsValue> stored = defaults.object(key);
    if (!stored) {
        return 0;
    }
    return std::visit(
        [](const auto& value) -> int64_t {
            using Value = std::decay_t<decltype(value)>;
            if constexpr (std::is_same_v<Value, bool>) {
                return value ? 1 : 0;
            } else if constexpr (std::is_same_v<Value, int64_t>) {
                return value;
            } else {
                return leadingInteger(value);
            }
        },
        *stored);
}

std::optional<std::string> stringForKey(const UserDefaults& defaults, std::string_view key) {
    const std::optional<DefaultsValue> stored = defaults.object(key);
    if (!stored) {
        return std::nullopt;
    }
    return std::visit(
        [](const auto& value) -> std::string {
            using Value = std::decay_t<decltype(value)>;
            if constexpr (std::is_same_v<Value, bool>) {
                return value ? "1" : "0";
            } else if constexpr (std::is_same_v<Value, int64_t>) {
                return std::to_string(value);
            } else {
                return value;
            }
        },
        *stored);
}

}  // namespace drawlume
