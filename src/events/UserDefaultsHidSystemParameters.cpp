#include "events/UserDefaultsHidSystemParameters.hpp"

#include <variant>

namespace drawlume {

std::optional<int64_t> UserDefaultsHidSystemParameters::linearScalingMouseAcceleration() const {
    if (desktopScalesPointer_) {
        return 1;
    }
    const std::optional<DefaultsValue> stored = userDefaults_.object(kLinearScalingKey);
    if (!stored || !std::holds_alternative<int64_t>(*stored)) {
        return std::nullopt;
    }
    return std::get<int64_t>(*stored);
}

}  // namespace drawlume
