#include "displays/MonitorInfo.hpp"

#include <algorithm>
#include <array>
#include <cmath>

#include "localization/AppLocalization.hpp"

namespace drawlume {

namespace {

// Toward zero, as a conversion to an integer does; a size no integer can
// hold (never from a real screen) is clamped rather than left undefined.
int64_t truncated(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    constexpr double kLimit = 9.2e18;
    return static_cast<int64_t>(std::trunc(std::clamp(value, -kLimit, kLimit)));
}

}  // namespace

std::string MonitorInfo::displayName(const AppLocalization& localization) const {
    const std::array<FormatArgument, 3> arguments = {
        id + 1,
        truncated(frame.width()),
        truncated(frame.height()),
    };
    return localization.localizedFormat("display.target.monitor.format", std::nullopt, arguments);
}

std::string MonitorInfo::displayName() const {
    return displayName(AppLocalization::shared());
}

std::string monitorName(int64_t id) {
    return "Monitor " + std::to_string(id + 1);
}

}  // namespace drawlume
