#include "platform/fake/FakeHidDevice.hpp"

#include <utility>

#include "devices/ReportDescriptorParser.hpp"
#include "platform/fake/CompanionDescriptorBytes.hpp"

namespace drawlume {

ReportDescriptor FakeHidDevice::companionDescriptor() {
    // Parsed once: every fake companion of a test run presents the same one.
    static const ReportDescriptor descriptor =
        ReportDescriptorParser::parse(companionDescriptorBytes()).descriptor.value();
    return descriptor;
}

IOReturn FakeHidDevice::open(IOOptionBits options) {
    ++openCount_;
    lastOpenOptions_ = options;
    if (openResult_ != kIOReturnSuccess) {
        return openResult_;
    }
    isOpen_ = true;
    return kIOReturnSuccess;
}

IOReturn FakeHidDevice::close(IOOptionBits /*options*/) {
    ++closeCount_;
    const bool wasOpen = isOpen_;
    forceClose();
    return wasOpen ? kIOReturnSuccess : kIOReturnNotOpen;
}

void FakeHidDevice::forceClose() {
    isOpen_ = false;
    registration_.clear();
}

HidPropertyValue FakeHidDevice::getProperty(std::string_view key) const {
    return findProperty(properties_, key);
}

void FakeHidDevice::setProperty(std::string_view key, HidPropertyValue value) {
    properties_.insert_or_assign(std::string(key), std::move(value));
}

void FakeHidDevice::registerInputReportCallback(uint8_t* buffer, int64_t bufferSize,
                                                InputReportCallback callback) {
    lastCallback_ = callback;
    registration_.set(buffer, bufferSize, std::move(callback));
}

uint32_t FakeHidDevice::reportIDOf(std::span<const uint8_t> report) const {
    return descriptor_.usesReportIDs && !report.empty() ? report[0] : 0;
}

bool FakeHidDevice::sendReport(std::span<const uint8_t> report) {
    if (!isOpen_) {
        return false;
    }
    return registration_.deliver(this, descriptor_.usesReportIDs, report);
}

bool FakeHidDevice::sendReportFrom(HidDevice* sender, std::span<const uint8_t> report) {
    if (!lastCallback_) {
        return false;
    }
    std::vector<uint8_t> copy(report.begin(), report.end());
    const InputReportCallback callback = lastCallback_;
    callback(kIOReturnSuccess, sender, kIOHIDReportTypeInput, reportIDOf(report), copy.data(),
             static_cast<int64_t>(copy.size()));
    return true;
}

}  // namespace drawlume
