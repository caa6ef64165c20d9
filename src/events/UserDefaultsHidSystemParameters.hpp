#pragma once

#include <cstdint>
#include <optional>

#include "events/HidSystemParameters.hpp"
#include "settings/UserDefaults.hpp"

namespace drawlume {

// The linear-scaling flag where the system has none of its own (Linux): the
// user's integer setting "HIDUseLinearScalingMouseAcceleration". Absent, or
// not an integer, it says nothing, so acceleration is allowed; a non-zero
// integer turns acceleration off from the next burst of motion on. Where the
// pointer device is absolute the desktop's pointer settings never apply and
// our curve is the only one; where it is relative the desktop accelerates
// the motion itself, and the flag reads 1 whatever is stored, so that
// nothing is accelerated twice.
class UserDefaultsHidSystemParameters final : public HidSystemParameters {
public:
    static constexpr const char* kLinearScalingKey = "HIDUseLinearScalingMouseAcceleration";

    explicit UserDefaultsHidSystemParameters(const UserDefaults& userDefaults,
                                             bool desktopScalesPointer = false)
        : userDefaults_(userDefaults), desktopScalesPointer_(desktopScalesPointer) {}

    std::optional<int64_t> linearScalingMouseAcceleration() const override;

private:
    const UserDefaults& userDefaults_;
    bool desktopScalesPointer_;
};

}  // namespace drawlume
