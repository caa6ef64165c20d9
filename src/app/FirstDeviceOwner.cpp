#include "app/FirstDeviceOwner.hpp"

#include <algorithm>

#include "devices/TabletDeviceManager.hpp"

namespace drawlume {

void FirstDeviceOwner::deviceDiscovered(const DeviceInfo& device) {
    mainRunLoop_.post([weak = weak_from_this(), device] {
        const auto self = weak.lock();
        if (!self || std::find(self->devices_.begin(), self->devices_.end(), device) !=
                         self->devices_.end()) {
            return;
        }
        self->devices_.push_back(device);
        if (!self->selected_) {
            self->select(device);
        }
    });
}

void FirstDeviceOwner::deviceRemoved(const DeviceInfo& device) {
    mainRunLoop_.post([weak = weak_from_this(), device] {
        const auto self = weak.lock();
        if (!self) {
            return;
        }
        std::erase(self->devices_, device);
        if (self->selected_ && *self->selected_ == device) {
            self->select(self->devices_.empty() ? std::nullopt
                                                : std::optional(self->devices_.front()));
        }
    });
}

void FirstDeviceOwner::select(std::optional<DeviceInfo> device) {
    selected_ = std::move(device);
    if (!selected_) {
        return;
    }
    if (const auto manager = deviceManager_.lock()) {
        manager->activateSelectedDevice();
    }
}

}  // namespace drawlume
