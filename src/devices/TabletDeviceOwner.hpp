#pragma once

#include <optional>

#include "devices/DeviceInfo.hpp"

namespace drawlume {

// What the device manager needs of the one that owns it (the view model):
// to hear of devices coming and going, and which device is selected. The
// manager holds its owner weakly and skips the calls once it is gone.
class TabletDeviceOwner {
public:
    virtual ~TabletDeviceOwner() = default;

    // Called synchronously from the manager's HID callbacks; an owner defers
    // its own work to the main queue.
    virtual void deviceDiscovered(const DeviceInfo& device) = 0;
    virtual void deviceRemoved(const DeviceInfo& device) = 0;
    // The device to activate, if any.
    virtual std::optional<DeviceInfo> selectedDevice() const = 0;
};

}  // namespace drawlume
