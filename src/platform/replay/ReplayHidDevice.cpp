#include "platform/replay/ReplayHidDevice.hpp"

#include <utility>

#include "devices/HidTransport.hpp"

namespace drawlume {

ReplayHidDevice::ReplayHidDevice(RecordedDevice recorded, std::string label, OpenedHandler onOpened)
    : recorded_(std::move(recorded)), label_(std::move(label)), onOpened_(std::move(onOpened)) {
    // What the recording tells: the name, the ids and the bus; no maker.
    if (!recorded_.name.empty()) {
        properties_.emplace(kIOHIDProductKey, recorded_.name);
    }
    properties_.emplace(kIOHIDVendorIDKey, static_cast<int64_t>(recorded_.vendorID));
    properties_.emplace(kIOHIDProductIDKey, static_cast<int64_t>(recorded_.productID));
    properties_.emplace(kIOHIDTransportKey, transportForBus(recorded_.bus));
    properties_.emplace(kIOHIDSerialNumberKey, label_);
    properties_.emplace(kIOHIDMaxInputReportSizeKey,
                        static_cast<int64_t>(recorded_.descriptor.maxInputReportSize));
}

IOReturn ReplayHidDevice::open(IOOptionBits /*options*/) {
    if (isOpen_) {
        return kIOReturnSuccess;
    }
    isOpen_ = true;
    if (onOpened_) {
        onOpened_(*this);
    }
    return kIOReturnSuccess;
}

IOReturn ReplayHidDevice::close(IOOptionBits /*options*/) {
    if (!isOpen_) {
        return kIOReturnNotOpen;
    }
    release();
    return kIOReturnSuccess;
}

void ReplayHidDevice::release() {
    isOpen_ = false;
    registration_.clear();
}

HidPropertyValue ReplayHidDevice::getProperty(std::string_view key) const {
    return findProperty(properties_, key);
}

void ReplayHidDevice::registerInputReportCallback(uint8_t* buffer, int64_t bufferSize,
                                                  InputReportCallback callback) {
    registration_.set(buffer, bufferSize, std::move(callback));
}

void ReplayHidDevice::deliver(std::span<const uint8_t> report) {
    if (isOpen_) {
        registration_.deliver(this, recorded_.descriptor.usesReportIDs, report);
    }
}

}  // namespace drawlume
