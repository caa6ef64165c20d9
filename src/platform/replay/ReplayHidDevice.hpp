#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "devices/HidDevice.hpp"
#include "devices/InputReportRegistration.hpp"
#include "platform/replay/HidRecording.hpp"

namespace drawlume {

// One recorded device as a HID device: the recording's name, ids and
// descriptor, and its reports when the host plays them. Its first open starts
// the playing (a recording starts when its recorder opened the device). Its
// label, unique in the session, is also its serial number, so that two
// recordings of one device are two devices and each of them is played.
class ReplayHidDevice final : public HidDevice {
public:
    using OpenedHandler = std::function<void(ReplayHidDevice& device)>;

    ReplayHidDevice(RecordedDevice recorded, std::string label, OpenedHandler onOpened);

    IOReturn open(IOOptionBits options) override;
    IOReturn close(IOOptionBits options) override;
    HidPropertyValue getProperty(std::string_view key) const override;
    void registerInputReportCallback(uint8_t* buffer, int64_t bufferSize,
                                     InputReportCallback callback) override;

    const RecordedDevice& recorded() const { return recorded_; }
    // "file (device N)", for the log and as the serial number.
    const std::string& label() const { return label_; }
    bool isOpen() const { return isOpen_; }
    // Hands one report to the open device's callback; dropped while closed,
    // as a real device's reports are.
    void deliver(std::span<const uint8_t> report);
    // The host's release when the device goes away.
    void release();

private:
    RecordedDevice recorded_;
    std::string label_;
    OpenedHandler onOpened_;
    HidPropertyMap properties_;
    bool isOpen_ = false;
    InputReportRegistration registration_;
};

}  // namespace drawlume
