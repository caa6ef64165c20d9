#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "devices/HidDevice.hpp"
#include "devices/InputReportRegistration.hpp"
#include "devices/ReportDescriptor.hpp"

namespace drawlume {

// A scripted HID device: properties and the open result are set by the test,
// opens and closes are counted, and reports are sent by the test, delivered
// at once (the test stands for the run loop's read task).
class FakeHidDevice final : public HidDevice {
public:
    explicit FakeHidDevice(ReportDescriptor descriptor) : descriptor_(std::move(descriptor)) {}

    // The companion's descriptor (pen, mouse and keyboard collections); the
    // device has no properties until the test sets them.
    static ReportDescriptor companionDescriptor();

    IOReturn open(IOOptionBits options) override;
    IOReturn close(IOOptionBits options) override;
    HidPropertyValue getProperty(std::string_view key) const override;
    void registerInputReportCallback(uint8_t* buffer, int64_t bufferSize,
                                     InputReportCallback callback) override;

    const ReportDescriptor& descriptor() const { return descriptor_; }
    void setProperty(std::string_view key, HidPropertyValue value);
    // As a device whose properties can no longer be read.
    void clearProperties() { properties_.clear(); }
    void setOpenResult(IOReturn result) { openResult_ = result; }

    // Writes the report into the registered buffer (cut to its size) and calls
    // the callback, the report ID taken from byte 0 where the descriptor uses
    // IDs. False when the device is not open or no callback is registered.
    bool sendReport(std::span<const uint8_t> report);
    // Calls the last registered callback even after close, as a late delivery
    // naming another sender would; the report is not written to the buffer.
    bool sendReportFrom(HidDevice* sender, std::span<const uint8_t> report);
    // What the host does when the device goes away: everything is released.
    void forceClose();

    bool isOpen() const { return isOpen_; }
    int openCount() const { return openCount_; }
    int closeCount() const { return closeCount_; }
    IOOptionBits lastOpenOptions() const { return lastOpenOptions_; }
    int64_t registeredBufferSize() const { return registration_.bufferSize(); }

private:
    uint32_t reportIDOf(std::span<const uint8_t> report) const;

    ReportDescriptor descriptor_;
    HidPropertyMap properties_;
    IOReturn openResult_ = kIOReturnSuccess;
    bool isOpen_ = false;
    int openCount_ = 0;
    int closeCount_ = 0;
    IOOptionBits lastOpenOptions_ = 0;
    InputReportRegistration registration_;
    InputReportCallback lastCallback_;
};

}  // namespace drawlume
