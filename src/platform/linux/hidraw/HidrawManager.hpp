#pragma once

#include <map>
#include <memory>
#include <string>

#include "devices/HidManagerBase.hpp"
#include "platform/linux/hidraw/HidrawDevice.hpp"
#include "platform/linux/hidraw/UdevHandles.hpp"

namespace drawlume {

// Finds hidraw devices through libudev: enumerates them at open and follows
// a monitor of the hidraw and input subsystems on the run loop, so that
// arrivals, removals and late evdev twins of seized devices are seen. The
// monitor listens to udevd's events where udevd runs and to the kernel's
// otherwise (containers, the test VM), chosen when the manager opens.
class HidrawManager final : public HidManagerBase {
public:
    // Nothing when libudev cannot be set up.
    static std::shared_ptr<HidrawManager> create();
    explicit HidrawManager(UdevHandle udev);
    ~HidrawManager() override;
    HidrawManager(const HidrawManager&) = delete;
    HidrawManager& operator=(const HidrawManager&) = delete;

    // "udev" when udevd runs (its control socket exists), else "kernel".
    static const char* monitorSource();

private:
    IOReturn startDiscovery() override;
    void stopDiscovery() override;
    std::string deviceLabel(const HidDevice& device) const override;

    void receiveMonitorEvents();
    void hidrawAdded(udev_device* device);
    void hidrawRemoved(const std::string& syspath);
    void evdevChanged(udev_device* device, bool added);
    void deviceVanished(HidrawDevice& device);

    UdevHandle udev_;
    UdevMonitorHandle monitor_;
    RunLoop::WatchId monitorWatch_ = 0;
    // Known hidraw devices by syspath, matching or not, so that a removal
    // finds the same object that was reported.
    std::map<std::string, std::shared_ptr<HidrawDevice>> devices_;
};

}  // namespace drawlume
