#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "devices/HidDevice.hpp"
#include "devices/IOReturn.hpp"
#include "services/RunLoop.hpp"

namespace drawlume {

// Which devices a manager reports: those with a top-level application
// collection of this usage page and usage and, where asked, only those whose
// descriptor is the companion's (see companionMismatch).
struct HidDeviceMatching {
    uint32_t deviceUsagePage = 0;
    uint32_t deviceUsage = 0;
    bool companionReports = false;
};

// Finds HID devices and reports their arrival and removal. Set it up, then
// schedule it on a run loop, then open it: every callback runs on that run
// loop, devices present at open time included, once the loop runs.
class HidManager {
public:
    using DeviceCallback = std::function<void(IOReturn result, HidManager* sender,
                                              const std::shared_ptr<HidDevice>& device)>;

    virtual ~HidManager() = default;

    // Nothing set: every device is reported.
    virtual void setDeviceMatching(std::optional<HidDeviceMatching> matching) = 0;
    virtual void registerDeviceMatchingCallback(DeviceCallback callback) = 0;
    // Called once per reported device that goes away, with the reference that
    // was reported; the host has already released what the device held.
    virtual void registerDeviceRemovalCallback(DeviceCallback callback) = 0;
    virtual void scheduleWithRunLoop(RunLoop& runLoop) = 0;
    // Starts discovery. Opening the manager opens no device; each is opened
    // on its own.
    virtual IOReturn open(IOOptionBits options) = 0;
    // Stops discovery: no callback of this manager runs afterwards.
    virtual IOReturn close(IOOptionBits options) = 0;
};

}  // namespace drawlume
