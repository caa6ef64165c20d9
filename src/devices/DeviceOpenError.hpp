#pragma once

#include <string>

#include "devices/IOReturn.hpp"

namespace drawlume {

// What the user and the log are told when the selected device does not open.
struct DeviceOpenError {
    std::string shortMessage;  // for the log
    std::string detailText;    // for the alert

    // The row for the open result: the host's not-privileged, exclusive-access
    // and not-open results have their own texts, anything else shows its code.
    static DeviceOpenError forResult(IOReturn result, const std::string& productName);
};

}  // namespace drawlume
