#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <utility>

#include "devices/HidDevice.hpp"

namespace drawlume {

// Copies a report of any length with fixed-size moves that the compiler
// writes out in place: a call into the C library's memcpy is three jumps
// more on every report's way, each of which an emulated machine looks up
// again after every switch of process. The overlapping last move covers the
// tail, so a report takes at most a few moves.
inline void copyReportBytes(uint8_t* to, const uint8_t* from, size_t length) {
    constexpr size_t kWord = 8;
    if (length >= kWord) {
        for (size_t offset = 0; offset + kWord < length; offset += kWord) {
            std::memcpy(to + offset, from + offset, kWord);
        }
        std::memcpy(to + length - kWord, from + length - kWord, kWord);
        return;
    }
    for (size_t offset = 0; offset < length; ++offset) {
        to[offset] = from[offset];
    }
}

// What a HID device keeps of its input report callback: the caller's buffer
// and the callback. The callback is shared so that one that closes the device
// (and so clears this) does not destroy itself while it runs; taking a copy
// of the pointer allocates nothing.
class InputReportRegistration {
public:
    using Callback = HidDevice::InputReportCallback;

    void set(uint8_t* buffer, int64_t bufferSize, Callback callback) {
        buffer_ = buffer;
        bufferSize_ = bufferSize;
        callback_ = callback ? std::make_shared<const Callback>(std::move(callback)) : nullptr;
    }
    void clear() { set(nullptr, 0, nullptr); }

    // Whether a report has somewhere to go.
    bool isSet() const { return callback_ && buffer_ != nullptr && bufferSize_ > 0; }
    uint8_t* buffer() const { return buffer_; }
    int64_t bufferSize() const { return bufferSize_; }
    std::shared_ptr<const Callback> callback() const { return callback_; }

    // For a host that is handed whole reports: writes the report into the
    // buffer, cut to its size, and announces it, the report ID taken from
    // byte 0 where the device uses IDs. False when nothing is registered.
    bool deliver(HidDevice* sender, bool usesReportIDs, std::span<const uint8_t> report) const {
        const std::shared_ptr<const Callback> callback = callback_;
        if (!isSet()) {
            return false;
        }
        uint8_t* const buffer = buffer_;
        const size_t length = std::min(report.size(), static_cast<size_t>(bufferSize_));
        copyReportBytes(buffer, report.data(), length);
        const uint32_t reportID = usesReportIDs && length > 0 ? buffer[0] : 0;
        (*callback)(kIOReturnSuccess, sender, kIOHIDReportTypeInput, reportID, buffer,
                    static_cast<int64_t>(length));
        return true;
    }

private:
    uint8_t* buffer_ = nullptr;
    int64_t bufferSize_ = 0;
    std::shared_ptr<const Callback> callback_;
};

}  // namespace drawlume
