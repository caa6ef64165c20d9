#include "devices/HidManagerBase.hpp"

#include <algorithm>
#include <utility>

namespace drawlume {

void HidManagerBase::setDeviceMatching(std::optional<HidDeviceMatching> matching) {
    matching_ = matching;
}

void HidManagerBase::registerDeviceMatchingCallback(DeviceCallback callback) {
    matchingCallback_ = std::move(callback);
}

void HidManagerBase::registerDeviceRemovalCallback(DeviceCallback callback) {
    removalCallback_ = std::move(callback);
}

void HidManagerBase::scheduleWithRunLoop(RunLoop& runLoop) {
    runLoop_ = &runLoop;
}

IOReturn HidManagerBase::open(IOOptionBits /*options*/) {
    if (open_) {
        return kIOReturnSuccess;
    }
    if (runLoop_ == nullptr) {
        return kIOReturnNotReady;
    }
    open_ = true;
    const IOReturn result = startDiscovery();
    if (result != kIOReturnSuccess) {
        open_ = false;
        ++session_;
        reported_.clear();
    }
    return result;
}

IOReturn HidManagerBase::close(IOOptionBits /*options*/) {
    if (!open_) {
        return kIOReturnNotOpen;
    }
    stopDiscovery();
    open_ = false;
    ++session_;
    reported_.clear();
    return kIOReturnSuccess;
}

void HidManagerBase::deviceArrived(const std::shared_ptr<HidDevice>& device,
                                   const ReportDescriptor& descriptor) {
    if (!open_ || wasReported(device.get())) {
        return;
    }
    if (matching_ &&
        !descriptor.hasApplicationCollection(matching_->deviceUsagePage, matching_->deviceUsage)) {
        return;
    }
    reported_.push_back(device);
    deliver(Delivery::matching, device);
}

void HidManagerBase::deviceLeft(const std::shared_ptr<HidDevice>& device) {
    const auto found = std::find(reported_.begin(), reported_.end(), device);
    if (found == reported_.end()) {
        return;
    }
    reported_.erase(found);
    deliver(Delivery::removal, device);
}

bool HidManagerBase::wasReported(const HidDevice* device) const {
    return std::any_of(reported_.begin(), reported_.end(),
                       [device](const auto& reported) { return reported.get() == device; });
}

void HidManagerBase::deliver(Delivery delivery, const std::shared_ptr<HidDevice>& device) {
    runLoop_->post([weak = weak_from_this(), session = session_, delivery, device] {
        const auto self = weak.lock();
        if (!self || !self->open_ || self->session_ != session) {
            return;
        }
        // A copy: the callback may register another one while it runs.
        const DeviceCallback callback =
            delivery == Delivery::matching ? self->matchingCallback_ : self->removalCallback_;
        if (callback) {
            callback(kIOReturnSuccess, self.get(), device);
        }
    });
}

}  // namespace drawlume
