#include "events/EventGenerator.hpp"

#include <variant>

#include "events/EventFieldWrites.hpp"

namespace drawlume {

namespace {

// What a tablet proximity event says about the pointing device.
constexpr int64_t kCapabilityMask =
    0x25C7;  // device ID, X, Y, buttons, tilt X/Y, pressure, rotation
constexpr int64_t kPenPointerType = 1;
constexpr int64_t kEraserPointerType = 3;
constexpr int64_t kPenVendorPointerType = 0x0802;
constexpr int64_t kEraserVendorPointerType = 0x0022;
constexpr int64_t kTabletDeviceID = 1;

// Marks a mouse event as coming from a tablet's pen. Inline, as the one
// below: each is a few stores, less than the call.
inline void writeTabletPointFields(EventRecord& record) {
    writeInteger(record, kCGMouseEventSubtype, kCGEventMouseSubtypeTabletPoint);
    writeInteger(record, kCGTabletEventDeviceID, kTabletDeviceID);
}

inline void writePointPosition(EventRecord& record, Point at) {
    writeDouble(record, kCGTabletEventPointX, at.x);
    writeDouble(record, kCGTabletEventPointY, at.y);
}

// Everything after the enter/leave field of a proximity event.
void writeProximityDescription(EventRecord& record, bool isEraser) {
    writeInteger(record, kCGTabletProximityEventCapabilityMask, kCapabilityMask);
    writeInteger(record, kCGTabletProximityEventPointerType,
                 isEraser ? kEraserPointerType : kPenPointerType);
    writeInteger(record, kCGTabletProximityEventDeviceID, kTabletDeviceID);
    writeInteger(record, kCGTabletProximityEventVendorPointerType,
                 isEraser ? kEraserVendorPointerType : kPenVendorPointerType);
}

CGEventFlags flagsForModifiers(uint8_t modifiers) {
    CGEventFlags flags = 0;
    if ((modifiers & 0x11) != 0) {
        flags |= kCGEventFlagMaskControl;
    }
    if ((modifiers & 0x22) != 0) {
        flags |= kCGEventFlagMaskShift;
    }
    if ((modifiers & 0x44) != 0) {
        flags |= kCGEventFlagMaskAlternate;
    }
    if ((modifiers & 0x88) != 0) {
        flags |= kCGEventFlagMaskCommand;
    }
    return flags;
}

}  // namespace

EventGenerator::EventGenerator(CGEventTapLocation eventTap,
                               const TranslationEnvironment& environment)
    : eventTap_(eventTap),
      eventSink_(environment.eventSink),
      screenList_(environment.screenList),
      clocks_(environment.clocks),
      hidSystemParameters_(environment.hidSystemParameters) {
    // Only a stored Boolean false switches acceleration off; a missing key, a
    // true or a value of any other type leaves it on. Read once: a change
    // applies to the next generator.
    const std::optional<DefaultsValue> stored =
        environment.userDefaults.object("pointerAcceleration");
    const bool switchedOff =
        stored && std::holds_alternative<bool>(*stored) && !std::get<bool>(*stored);
    if (!switchedOff) {
        pointerAccelerator_.emplace([this] { return systemAllowsAcceleration(); });
    }
}

bool EventGenerator::systemAllowsAcceleration() const {
    const std::optional<int64_t> linearScaling =
        hidSystemParameters_.linearScalingMouseAcceleration();
    return !linearScaling || *linearScaling == 0;
}

void EventGenerator::postProximityEnter(Point at, bool isEraser) {
    EventRecord record;
    if (!createMouseEvent(record, kCGEventMouseMoved, at, kCGMouseButtonLeft)) {
        return;
    }
    record.type = kCGEventTabletProximity;
    writeInteger(record, kCGTabletProximityEventEnterProximity, 1);
    writeProximityDescription(record, isEraser);
    post(record);
}

void EventGenerator::postTabletMove(Point at, double tiltX, double tiltY, double rotation) {
    EventRecord record;
    if (!createMouseEvent(record, kCGEventMouseMoved, at, kCGMouseButtonLeft)) {
        return;
    }
    writeTabletPointFields(record);
    writePointPosition(record, at);
    writeDouble(record, kCGTabletEventTiltX, tiltX);
    // The window system's tilt Y grows the other way round from the pen's.
    writeDouble(record, kCGTabletEventTiltY, -tiltY);
    writeDouble(record, kCGTabletEventRotation, rotation);
    post(record);
}

void EventGenerator::postRightButtonEvent(CGEventType type, Point at) {
    EventRecord record;
    if (!createMouseEvent(record, type, at, kCGMouseButtonRight)) {
        return;
    }
    writeTabletPointFields(record);
    writeInteger(record, kCGTabletEventPointButtons, 2);
    writePointPosition(record, at);
    post(record);
}

void EventGenerator::postRightMouseDown(Point at) {
    postRightButtonEvent(kCGEventRightMouseDown, at);
}

void EventGenerator::postRightMouseDragged(Point at) {
    postRightButtonEvent(kCGEventRightMouseDragged, at);
}

void EventGenerator::postRightMouseUp(Point at) {
    postRightButtonEvent(kCGEventRightMouseUp, at);
}

void EventGenerator::postTabletPointer(Point at) {
    EventRecord record;
    if (!createMouseEvent(record, kCGEventMouseMoved, at, kCGMouseButtonLeft)) {
        return;
    }
    record.type = kCGEventTabletPointer;
    writeInteger(record, kCGTabletProximityEventEnterProximity, 1);
    writeInteger(record, kCGTabletEventPointButtons, 1);
    writeInteger(record, kCGTabletEventDeviceID, kTabletDeviceID);
    post(record);
}

void EventGenerator::postPressureEvent(CGEventType leftType, CGEventType rightType, Point at,
                                       double pressure, double tiltX, double tiltY, double rotation,
                                       bool withBarrel, std::optional<int64_t> clickCount) {
    EventRecord record;
    if (!createMouseEvent(record, withBarrel ? rightType : leftType, at,
                          withBarrel ? kCGMouseButtonRight : kCGMouseButtonLeft)) {
        return;
    }
    if (clickCount) {
        writeInteger(record, kCGMouseEventClickState, *clickCount);
    }
    writeInteger(record, kCGTabletProximityEventEnterProximity, 1);
    writeTabletPointFields(record);
    writeInteger(record, kCGTabletEventPointButtons, withBarrel ? 3 : 1);
    writePointPosition(record, at);
    writeDouble(record, kCGTabletEventPointPressure, pressure);
    writeDouble(record, kCGTabletEventTiltX, tiltX);
    writeDouble(record, kCGTabletEventTiltY, -tiltY);
    writeDouble(record, kCGTabletEventRotation, rotation);
    writeDouble(record, kCGMouseEventPressure, pressure);
    post(record);
}

void EventGenerator::postPenDown(Point at, double pressure, double tiltX, double tiltY,
                                 double rotation, bool withBarrel, int64_t clickCount) {
    postPressureEvent(kCGEventLeftMouseDown, kCGEventRightMouseDown, at, pressure, tiltX, tiltY,
                      rotation, withBarrel, clickCount);
}

void EventGenerator::postPenDragged(Point at, double pressure, double tiltX, double tiltY,
                                    double rotation, bool withBarrel) {
    postPressureEvent(kCGEventLeftMouseDragged, kCGEventRightMouseDragged, at, pressure, tiltX,
                      tiltY, rotation, withBarrel, std::nullopt);
}

void EventGenerator::postPenUp(Point at, bool withBarrel, int64_t clickCount) {
    EventRecord record;
    if (!createMouseEvent(record, withBarrel ? kCGEventRightMouseUp : kCGEventLeftMouseUp, at,
                          withBarrel ? kCGMouseButtonRight : kCGMouseButtonLeft)) {
        return;
    }
    writeInteger(record, kCGMouseEventClickState, clickCount);
    writeTabletPointFields(record);
    writeInteger(record, kCGTabletEventPointButtons, 0);
    writePointPosition(record, at);
    writeDouble(record, kCGTabletEventPointPressure, 0.0);
    writeDouble(record, kCGMouseEventPressure, 0.0);
    post(record);
}

void EventGenerator::postProximityExit(bool isEraser) {
    // An empty event: it carries wherever the pointer is now, not a pen point.
    const std::optional<Point> location = eventSink_.currentPointerLocation();
    if (!location) {
        return;
    }
    EventRecord record;
    record.kind = EventRecordKind::empty;
    record.type = kCGEventTabletProximity;
    record.location = *location;
    writeInteger(record, kCGTabletProximityEventEnterProximity, 0);
    writeProximityDescription(record, isEraser);
    post(record);
}

void EventGenerator::postScrollEvent(int32_t vertical, int32_t horizontal) {
    if (!eventSink_.canCreateEvent()) {
        return;
    }
    EventRecord record;
    record.kind = EventRecordKind::scrollWheel;
    record.type = kCGEventScrollWheel;
    record.scrollUnits = kCGScrollEventUnitLine;
    record.wheelCount = 2;
    record.wheels = {vertical, horizontal, 0};
    post(record);
}

void EventGenerator::postKeyboardEvent(uint16_t keyCode, bool keyDown, uint8_t modifiers) {
    if (!eventSink_.canCreateEvent()) {
        return;
    }
    EventRecord record;
    record.kind = EventRecordKind::keyboard;
    record.type = keyDown ? kCGEventKeyDown : kCGEventKeyUp;
    record.keyCode = keyCode;
    record.keyDown = keyDown;
    // The flags replace whatever the event had, so no stale flag such as caps
    // lock rides along.
    record.flagsSet = true;
    record.flags = flagsForModifiers(modifiers);
    post(record);
}

}  // namespace drawlume
