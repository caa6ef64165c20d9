#include "devices/DeviceOpenError.hpp"

#include "util/TextFormat.hpp"

namespace drawlume {

DeviceOpenError DeviceOpenError::forResult(IOReturn result, const std::string& productName) {
    const std::string prefix = "Failed to access device '" + productName;
    switch (result) {
        case kIOReturnNotPrivileged:
            return {"Insufficient privileges",
                    prefix + "'. This application requires accessibility permissions."};
        case kIOReturnNotOpen:
            return {"Device is not open", prefix + "'. The device could not be opened."};
        case kIOReturnExclusiveAccess:
            return {"Device is already in use by another application",
                    prefix +
                        "'.\n\nThe device is already being used by another application or "
                        "instance.\nPlease make sure:\n"
                        "\u2022 No other instances of this application are running\n"
                        "\u2022 No other tablet driver software is accessing the device\n"
                        "\u2022 Try disconnecting and reconnecting the device"};
        default: {
            const std::string code = strf("%08X", static_cast<uint32_t>(result));
            return {"Unknown error (0x" + code + ")", prefix + "' with error code: 0x" + code};
        }
    }
}

}  // namespace drawlume
