#pragma once

#include <cstdint>

namespace drawlume {

// The vocabulary of event records: the window-system event types, fields and
// values with the numbers of the published CoreGraphics headers. Records are
// described in these terms on every platform; a platform sink maps them to
// its own input system.

using CGEventType = uint32_t;
using CGMouseButton = uint32_t;
using CGEventTapLocation = uint32_t;
using CGEventField = uint32_t;
using CGEventFlags = uint64_t;
using CGScrollEventUnit = uint32_t;

inline constexpr CGEventTapLocation kCGHIDEventTap = 0;

inline constexpr CGEventType kCGEventNull = 0;
inline constexpr CGEventType kCGEventLeftMouseDown = 1;
inline constexpr CGEventType kCGEventLeftMouseUp = 2;
inline constexpr CGEventType kCGEventRightMouseDown = 3;
inline constexpr CGEventType kCGEventRightMouseUp = 4;
inline constexpr CGEventType kCGEventMouseMoved = 5;
inline constexpr CGEventType kCGEventLeftMouseDragged = 6;
inline constexpr CGEventType kCGEventRightMouseDragged = 7;
inline constexpr CGEventType kCGEventKeyDown = 10;
inline constexpr CGEventType kCGEventKeyUp = 11;
inline constexpr CGEventType kCGEventScrollWheel = 22;
inline constexpr CGEventType kCGEventTabletPointer = 23;
inline constexpr CGEventType kCGEventTabletProximity = 24;
inline constexpr CGEventType kCGEventOtherMouseDown = 25;
inline constexpr CGEventType kCGEventOtherMouseUp = 26;
inline constexpr CGEventType kCGEventOtherMouseDragged = 27;

inline constexpr CGMouseButton kCGMouseButtonLeft = 0;
inline constexpr CGMouseButton kCGMouseButtonRight = 1;
inline constexpr CGMouseButton kCGMouseButtonCenter = 2;

// Integer fields.
inline constexpr CGEventField kCGMouseEventClickState = 1;
inline constexpr CGEventField kCGMouseEventSubtype = 7;
inline constexpr CGEventField kCGTabletEventPointButtons = 18;
inline constexpr CGEventField kCGTabletEventDeviceID = 24;
inline constexpr CGEventField kCGTabletProximityEventDeviceID = 31;
inline constexpr CGEventField kCGTabletProximityEventVendorPointerType = 33;
inline constexpr CGEventField kCGTabletProximityEventCapabilityMask = 36;
inline constexpr CGEventField kCGTabletProximityEventPointerType = 37;
inline constexpr CGEventField kCGTabletProximityEventEnterProximity = 38;
// Double fields.
inline constexpr CGEventField kCGMouseEventPressure = 2;
inline constexpr CGEventField kCGTabletEventPointX = 15;
inline constexpr CGEventField kCGTabletEventPointY = 16;
inline constexpr CGEventField kCGTabletEventPointPressure = 19;
inline constexpr CGEventField kCGTabletEventTiltX = 20;
inline constexpr CGEventField kCGTabletEventTiltY = 21;
inline constexpr CGEventField kCGTabletEventRotation = 22;

inline constexpr int64_t kCGEventMouseSubtypeTabletPoint = 1;

inline constexpr CGScrollEventUnit kCGScrollEventUnitPixel = 0;
inline constexpr CGScrollEventUnit kCGScrollEventUnitLine = 1;

inline constexpr CGEventFlags kCGEventFlagMaskShift = 0x20000;
inline constexpr CGEventFlags kCGEventFlagMaskControl = 0x40000;
inline constexpr CGEventFlags kCGEventFlagMaskAlternate = 0x80000;
inline constexpr CGEventFlags kCGEventFlagMaskCommand = 0x100000;

}  // namespace drawlume
