#pragma once

#include <memory>
#include <vector>

#include "devices/HidHost.hpp"
#include "devices/HidManagerBase.hpp"
#include "platform/fake/FakeHidDevice.hpp"

namespace drawlume {

class FakeHidHost;

// A manager of the fake host: reports the host's connected devices.
class FakeHidManager final : public HidManagerBase {
public:
    explicit FakeHidManager(FakeHidHost& host) : host_(host) {}

    void setOpenResult(IOReturn result) { openResult_ = result; }
    int closeCount() const { return closeCount_; }
    IOReturn close(IOOptionBits options) override;
    // Reports the device again, as a host that matches one reference twice would.
    void reportAgain(const std::shared_ptr<HidDevice>& device) {
        if (isOpen()) {
            deliver(Delivery::matching, device);
        }
    }

private:
    friend class FakeHidHost;
    IOReturn startDiscovery() override;
    void stopDiscovery() override {}

    FakeHidHost& host_;
    IOReturn openResult_ = kIOReturnSuccess;
    int closeCount_ = 0;
};

// A HID layer whose devices come and go when the test says so. Arrivals and
// removals reach open managers' callbacks on their run loop.
class FakeHidHost final : public HidHost {
public:
    std::shared_ptr<HidManager> createManager(IOOptionBits options) override;

    // The next managers fail to be created.
    void setFailsToCreateManagers(bool fails) { failsToCreate_ = fails; }
    // The open result of managers created from now on.
    void setManagerOpenResult(IOReturn result) { managerOpenResult_ = result; }

    void connect(const std::shared_ptr<FakeHidDevice>& device);
    // The device is released (closed) first, as a real host does.
    void disconnect(const std::shared_ptr<FakeHidDevice>& device);
    // Reports the same reference to every open manager again, as if matched twice.
    void rematch(const std::shared_ptr<FakeHidDevice>& device);

    const std::vector<std::shared_ptr<FakeHidDevice>>& connectedDevices() const { return devices_; }
    // The last manager made, if it still exists.
    std::shared_ptr<FakeHidManager> lastManager() const { return lastManager_.lock(); }
    int managersCreated() const { return managersCreated_; }

private:
    friend class FakeHidManager;
    std::vector<std::shared_ptr<FakeHidManager>> liveManagers();

    bool failsToCreate_ = false;
    IOReturn managerOpenResult_ = kIOReturnSuccess;
    int managersCreated_ = 0;
    std::vector<std::shared_ptr<FakeHidDevice>> devices_;
    std::vector<std::weak_ptr<FakeHidManager>> managers_;
    std::weak_ptr<FakeHidManager> lastManager_;
};

}  // namespace drawlume
