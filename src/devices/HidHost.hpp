#pragma once

#include <memory>

#include "devices/HidManager.hpp"
#include "devices/IOReturn.hpp"

namespace drawlume {

// The platform's HID layer: makes managers.
class HidHost {
public:
    virtual ~HidHost() = default;
    // Nothing when the platform cannot make one.
    virtual std::shared_ptr<HidManager> createManager(IOOptionBits options) = 0;
};

}  // namespace drawlume
