#pragma once

#include <cstdint>
#include <string>

namespace drawlume {

// One discovered tablet device, passed by copy. Two records are the same
// device exactly when their ids are equal: a device read again with another
// product name is still the same device.
struct DeviceInfo {
    // Stable across reconnections: "serial:<transport>:<serial>", or
    // "fp:<transport>:<manufacturer>:<product>:<vendor>:<product id>".
    std::string id;
    std::string manufacturer;
    std::string productName;
    int64_t vendorID = 0;
    int64_t productID = 0;

    // For logs: "Pad (VID: 0x1234, PID: 0x5678)", the ids' low 32 bits in hex.
    std::string displayName() const;

    bool operator==(const DeviceInfo& other) const { return id == other.id; }
};

}  // namespace drawlume
