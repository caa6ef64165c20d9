#include "platform/fake/FakeHidHost.hpp"

#include <algorithm>

namespace drawlume {

IOReturn FakeHidManager::startDiscovery() {
    if (openResult_ != kIOReturnSuccess) {
        return openResult_;
    }
    for (const auto& device : host_.devices_) {
        deviceArrived(device, device->descriptor());
    }
    return kIOReturnSuccess;
}

IOReturn FakeHidManager::close(IOOptionBits options) {
    ++closeCount_;
    return HidManagerBase::close(options);
}

std::shared_ptr<HidManager> FakeHidHost::createManager(IOOptionBits /*options*/) {
    if (failsToCreate_) {
        return nullptr;
    }
    auto manager = std::make_shared<FakeHidManager>(*this);
    manager->setOpenResult(managerOpenResult_);
    managers_.push_back(manager);
    lastManager_ = manager;
    ++managersCreated_;
    return manager;
}

std::vector<std::shared_ptr<FakeHidManager>> FakeHidHost::liveManagers() {
    std::vector<std::shared_ptr<FakeHidManager>> live;
    for (const auto& weak : managers_) {
        if (auto manager = weak.lock()) {
            live.push_back(std::move(manager));
        }
    }
    return live;
}

void FakeHidHost::connect(const std::shared_ptr<FakeHidDevice>& device) {
    devices_.push_back(device);
    for (const auto& manager : liveManagers()) {
        manager->deviceArrived(device, device->descriptor());
    }
}

void FakeHidHost::disconnect(const std::shared_ptr<FakeHidDevice>& device) {
    devices_.erase(std::remove(devices_.begin(), devices_.end(), device), devices_.end());
    device->forceClose();
    for (const auto& manager : liveManagers()) {
        manager->deviceLeft(device);
    }
}

void FakeHidHost::rematch(const std::shared_ptr<FakeHidDevice>& device) {
    for (const auto& manager : liveManagers()) {
        manager->reportAgain(device);
    }
}

}  // namespace drawlume
