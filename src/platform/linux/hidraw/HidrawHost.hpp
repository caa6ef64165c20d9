#pragma once

#include <memory>

#include "devices/HidHost.hpp"

namespace drawlume {

// The Linux HID layer: hidraw nodes found through libudev.
class HidrawHost final : public HidHost {
public:
    std::shared_ptr<HidManager> createManager(IOOptionBits options) override;
};

}  // namespace drawlume
