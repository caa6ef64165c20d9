#include "devices/HidManagerBase.hpp"

#include <algorithm>
#include <utility>

#include "devices/CompanionDescriptorCheck.hpp"
#include "devices/HidPropertyReaders.hpp"
#include "logging/LogMacros.hpp"

namespace drawlume {

namespace {
constexpr const char* kLogFile = "Drawlume___Bluetooth_Agent/HidManagerBase";
}  // namespace

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

std::string HidManagerBase::deviceArrived(const std::shared_ptr<HidDevice>& device,
                                          const ReportDescriptor& descriptor) {
    if (!open_ || wasReported(device.get())) {
        return {};
    }
    if (matching_ &&
        !descriptor.hasApplicationCollection(matching_->deviceUsagePage, matching_->deviceUsage)) {
        return {};
    }
    if (matching_ && matching_->companionReports) {
        if (auto mismatch = companionMismatch(descriptor)) {
            DDLogInfo("deviceArrived(_:descriptor:)",
                      strf("%s is a pen digitizer but not a companion: %s",
                           deviceLabel(*device).c_str(), mismatch->c_str()));
            return std::move(*mismatch);
        }
    }
    reported_.push_back(device);
    deliver(Delivery::matching, device);
    return {};
}

std::string HidManagerBase::deviceLabel(const HidDevice& device) const {
    return strf("%s (VID: 0x%04X, PID: 0x%04X)",
                textProperty(device, kIOHIDProductKey).value_or("Unknown").c_str(),
                static_cast<unsigned>(integerProperty(device, kIOHIDVendorIDKey).value_or(0)),
                static_cast<unsigned>(integerProperty(device, kIOHIDProductIDKey).value_or(0)));
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
