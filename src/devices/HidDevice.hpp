#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <variant>

#include "devices/IOReturn.hpp"

namespace drawlume {

// A property value as a HID host gives it: nothing, an integer, a
// non-integral number or a text.
using HidPropertyValue = std::variant<std::monostate, int64_t, double, std::string>;
// A host's properties of one device, by key.
using HidPropertyMap = std::map<std::string, HidPropertyValue, std::less<>>;

inline HidPropertyValue findProperty(const HidPropertyMap& properties, std::string_view key) {
    const auto found = properties.find(key);
    return found == properties.end() ? HidPropertyValue{} : found->second;
}

// The property keys every host answers where it knows the value.
inline constexpr std::string_view kIOHIDManufacturerKey = "Manufacturer";
inline constexpr std::string_view kIOHIDProductKey = "Product";
inline constexpr std::string_view kIOHIDVendorIDKey = "VendorID";
inline constexpr std::string_view kIOHIDProductIDKey = "ProductID";
inline constexpr std::string_view kIOHIDTransportKey = "Transport";
inline constexpr std::string_view kIOHIDSerialNumberKey = "SerialNumber";
inline constexpr std::string_view kIOHIDMaxInputReportSizeKey = "MaxInputReportSize";

// One live reference to a HID device, as a host's manager reports it: the
// same object at matching and at removal. Called on the run loop that the
// manager is scheduled on.
class HidDevice {
public:
    // result, sender, type, report ID (0 for devices without IDs), the report
    // in the caller's buffer (byte 0 is the ID where IDs are used), its length.
    using InputReportCallback =
        std::function<void(IOReturn result, HidDevice* sender, IOHIDReportType type,
                           uint32_t reportID, uint8_t* report, int64_t reportLength)>;

    virtual ~HidDevice() = default;

    // With kIOHIDOptionsTypeSeizeDevice no other program receives the
    // device's input while it is open.
    virtual IOReturn open(IOOptionBits options) = 0;
    // Releases everything open() took; no report is delivered afterwards.
    // The input report callback is forgotten.
    virtual IOReturn close(IOOptionBits options) = 0;
    virtual HidPropertyValue getProperty(std::string_view key) const = 0;
    // While the device is open, each input report is written into buffer (at
    // most bufferSize bytes; longer reports are cut) and announced by one call,
    // on the manager's run loop. buffer must stay valid until close().
    virtual void registerInputReportCallback(uint8_t* buffer, int64_t bufferSize,
                                             InputReportCallback callback) = 0;
};

// The number that names one live device reference: its address. Equal for
// one reference, different between references that exist at the same time.
inline int64_t deviceHash(const HidDevice* device) {
    return static_cast<int64_t>(reinterpret_cast<intptr_t>(device));
}

}  // namespace drawlume
