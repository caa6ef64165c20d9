#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>

#include "devices/HidDevice.hpp"

namespace drawlume {

// What a host that is handed whole reports does with one: writes it into the
// registered buffer, cut to the buffer's size, and announces it, the report ID
// taken from byte 0 where the device uses IDs. False when there is nowhere to
// deliver it.
inline bool deliverInputReport(HidDevice* sender, const HidDevice::InputReportCallback& callback,
                               uint8_t* buffer, int64_t bufferSize, bool usesReportIDs,
                               std::span<const uint8_t> report) {
    if (!callback || buffer == nullptr || bufferSize <= 0) {
        return false;
    }
    const size_t length = std::min(report.size(), static_cast<size_t>(bufferSize));
    if (length > 0) {
        std::memcpy(buffer, report.data(), length);
    }
    const uint32_t reportID = usesReportIDs && length > 0 ? buffer[0] : 0;
    callback(kIOReturnSuccess, sender, kIOHIDReportTypeInput, reportID, buffer,
             static_cast<int64_t>(length));
    return true;
}

}  // namespace drawlume
