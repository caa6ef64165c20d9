#pragma once

#include <cstdint>

namespace drawlume {

// Result codes of the HID host layer, with the numbers the device manager's
// open-error texts are written against. Platform hosts map their own errors
// onto these (errno on Linux: see ioReturnFromErrno).
using IOReturn = int32_t;
using IOOptionBits = uint32_t;

inline constexpr IOReturn kIOReturnSuccess = 0;
inline constexpr IOReturn kIOReturnError = static_cast<IOReturn>(0xE00002BC);
inline constexpr IOReturn kIOReturnNoMemory = static_cast<IOReturn>(0xE00002BD);
inline constexpr IOReturn kIOReturnNoDevice = static_cast<IOReturn>(0xE00002C0);
inline constexpr IOReturn kIOReturnNotPrivileged = static_cast<IOReturn>(0xE00002C1);
inline constexpr IOReturn kIOReturnBadArgument = static_cast<IOReturn>(0xE00002C2);
inline constexpr IOReturn kIOReturnExclusiveAccess = static_cast<IOReturn>(0xE00002C5);
inline constexpr IOReturn kIOReturnNotOpen = static_cast<IOReturn>(0xE00002CD);
inline constexpr IOReturn kIOReturnNotReady = static_cast<IOReturn>(0xE00002D8);

inline constexpr IOOptionBits kIOHIDOptionsTypeNone = 0;
// Open for this process alone: nothing else on the system sees the device's input.
inline constexpr IOOptionBits kIOHIDOptionsTypeSeizeDevice = 1;

using IOHIDReportType = uint32_t;
inline constexpr IOHIDReportType kIOHIDReportTypeInput = 0;
inline constexpr IOHIDReportType kIOHIDReportTypeOutput = 1;
inline constexpr IOHIDReportType kIOHIDReportTypeFeature = 2;

}  // namespace drawlume
