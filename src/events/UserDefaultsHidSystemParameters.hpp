#pragma once

#include <cstdint>
#include <optional>

#include "events/HidSystemParameters.hpp"
#include "settings/UserDefaults.hpp"

namespace drawlume {

// The linear-scaling flag where the system has none of its own (Linux): the
// user's integer setting "HIDUseLinearScalingMouseAcceleration". Absent, or
// not an integer, it says nothing, so acceleration is allowed; a non-zero
// integer turns acceleration off from the next burst of motion on. The
// desktop's own pointer settings never apply to our motion: the pointer
// device we post through is absolute, so our curve is the only one.
class UserDefaultsHidSystemParameters final : public HidSystemParameters {
public:
    static constexpr const char* kLinearScalingKey = "HIDUseLinearScalingMouseAcceleration";

    explicit UserDefaultsHidSystemParameters(const UserDefaults& userDefaults)
        : userDefaults_(userDefaults) {}

    std::optional<int64_t> linearScalingMouseAcceleration() const override;

private:
    const UserDefaults& userDefaults_;
};

}  // namespace drawlume
