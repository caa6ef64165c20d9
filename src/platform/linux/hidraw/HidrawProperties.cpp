#include "platform/linux/hidraw/HidrawProperties.hpp"

#include <charconv>
#include <string>

#include "devices/HidTransport.hpp"

namespace drawlume {

namespace {

bool parseHex(std::string_view text, uint32_t& value) {
    if (text.empty()) {
        return false;
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    return error == std::errc() && end == text.data() + text.size();
}

std::string_view field(const UeventFields& fields, std::string_view key) {
    const auto found = fields.find(key);
    return found == fields.end() ? std::string_view{} : std::string_view(found->second);
}

}  // namespace

std::optional<HidIdentity> parseHidId(std::string_view hidId) {
    const size_t first = hidId.find(':');
    const size_t second = first == std::string_view::npos ? first : hidId.find(':', first + 1);
    if (second == std::string_view::npos) {
        return std::nullopt;
    }
    HidIdentity identity;
    if (!parseHex(hidId.substr(0, first), identity.bus) ||
        !parseHex(hidId.substr(first + 1, second - first - 1), identity.vendor) ||
        !parseHex(hidId.substr(second + 1), identity.product)) {
        return std::nullopt;
    }
    return identity;
}

HidPropertyMap hidrawProperties(const UeventFields& hidUevent,
                                const std::optional<UsbStrings>& usbStrings,
                                const ReportDescriptor& descriptor) {
    HidPropertyMap properties;
    const auto identity = parseHidId(field(hidUevent, "HID_ID"));
    if (identity) {
        properties.emplace(kIOHIDVendorIDKey, static_cast<int64_t>(identity->vendor));
        properties.emplace(kIOHIDProductIDKey, static_cast<int64_t>(identity->product));
    }
    properties.emplace(kIOHIDTransportKey, transportForBus(identity ? identity->bus : 0));

    // A USB device's own strings are the better names: HID_NAME of a USB
    // device is manufacturer and product run together.
    const bool usb = usbStrings.has_value();
    if (usb && !usbStrings->manufacturer.empty()) {
        properties.emplace(kIOHIDManufacturerKey, usbStrings->manufacturer);
    }
    if (usb && !usbStrings->product.empty()) {
        properties.emplace(kIOHIDProductKey, usbStrings->product);
    } else if (!field(hidUevent, "HID_NAME").empty()) {
        properties.emplace(kIOHIDProductKey, std::string(field(hidUevent, "HID_NAME")));
    }
    // HID_UNIQ: the Bluetooth address, or the USB serial number.
    if (!field(hidUevent, "HID_UNIQ").empty()) {
        properties.emplace(kIOHIDSerialNumberKey, std::string(field(hidUevent, "HID_UNIQ")));
    } else if (usb && !usbStrings->serial.empty()) {
        properties.emplace(kIOHIDSerialNumberKey, usbStrings->serial);
    }
    properties.emplace(kIOHIDMaxInputReportSizeKey,
                       static_cast<int64_t>(descriptor.maxInputReportSize));
    return properties;
}

}  // namespace drawlume
