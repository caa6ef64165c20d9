#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "app/RunLoop.hpp"
#include "devices/TabletDeviceOwner.hpp"

namespace drawlume {

class TabletDeviceManager;

// The smallest owner a device manager can have, for runs without the
// application's view model: it lists devices in the order they are found,
// selects the first one, and when the selected device goes, the first one
// left. Like the view model it does its work on the main queue, after the
// manager's callback has returned.
class FirstDeviceOwner final : public TabletDeviceOwner,
                               public std::enable_shared_from_this<FirstDeviceOwner> {
public:
    explicit FirstDeviceOwner(RunLoop& mainRunLoop) : mainRunLoop_(mainRunLoop) {}

    // Held weakly: the owner asks it to activate whatever it selects.
    void setDeviceManager(std::weak_ptr<TabletDeviceManager> deviceManager) {
        deviceManager_ = std::move(deviceManager);
    }

    void deviceDiscovered(const DeviceInfo& device) override;
    void deviceRemoved(const DeviceInfo& device) override;
    std::optional<DeviceInfo> selectedDevice() const override { return selected_; }

    const std::vector<DeviceInfo>& devices() const { return devices_; }

private:
    void select(std::optional<DeviceInfo> device);

    RunLoop& mainRunLoop_;
    std::weak_ptr<TabletDeviceManager> deviceManager_;
    std::vector<DeviceInfo> devices_;
    std::optional<DeviceInfo> selected_;
};

}  // namespace drawlume
