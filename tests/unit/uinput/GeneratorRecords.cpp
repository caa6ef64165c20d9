#include "uinput/GeneratorRecords.hpp"

namespace drawlume::testing {

namespace {

EventRecord created(EventRecordKind kind, CGEventType type, Point at, CGMouseButton button) {
    EventRecord record;
    record.kind = kind;
    record.type = type;
    record.location = at;
    record.mouseButton = button;
    return record;
}

void writeInteger(EventRecord& record, CGEventField field, int64_t value) {
    EventFieldWrite& write = record.fields[record.fieldCount++];
    write.field = field;
    write.isDouble = false;
    write.integerValue = value;
}

void writeDouble(EventRecord& record, CGEventField field, double value) {
    EventFieldWrite& write = record.fields[record.fieldCount++];
    write.field = field;
    write.isDouble = true;
    write.doubleValue = value;
}

void writeTabletPointFields(EventRecord& record) {
    writeInteger(record, kCGMouseEventSubtype, kCGEventMouseSubtypeTabletPoint);
    writeInteger(record, kCGTabletEventDeviceID, 1);
}

// A proximity event: entering is created as a mouse event at the pen, leaving
// as an empty event at the pointer.
EventRecord proximity(bool entering, Point at, bool isEraser) {
    EventRecord record = created(entering ? EventRecordKind::mouse : EventRecordKind::empty,
                                 kCGEventTabletProximity, at, kCGMouseButtonLeft);
    writeInteger(record, kCGTabletProximityEventEnterProximity, entering ? 1 : 0);
    writeInteger(record, kCGTabletProximityEventCapabilityMask, 9671);
    writeInteger(record, kCGTabletProximityEventPointerType, isEraser ? 3 : 1);
    writeInteger(record, kCGTabletProximityEventDeviceID, 1);
    writeInteger(record, kCGTabletProximityEventVendorPointerType, isEraser ? 34 : 2050);
    return record;
}

EventRecord rightButtonRecord(CGEventType type, Point at) {
    EventRecord record = created(EventRecordKind::mouse, type, at, kCGMouseButtonRight);
    writeTabletPointFields(record);
    writeInteger(record, kCGTabletEventPointButtons, 2);
    writeDouble(record, kCGTabletEventPointX, at.x);
    writeDouble(record, kCGTabletEventPointY, at.y);
    return record;
}

void writePressFields(EventRecord& record, Point at, double pressure, double tiltX, double tiltY,
                      double rotation, bool withBarrel) {
    writeInteger(record, kCGTabletProximityEventEnterProximity, 1);
    writeTabletPointFields(record);
    writeInteger(record, kCGTabletEventPointButtons, withBarrel ? 3 : 1);
    writeDouble(record, kCGTabletEventPointX, at.x);
    writeDouble(record, kCGTabletEventPointY, at.y);
    writeDouble(record, kCGTabletEventPointPressure, pressure);
    writeDouble(record, kCGTabletEventTiltX, tiltX);
    writeDouble(record, kCGTabletEventTiltY, -tiltY);
    writeDouble(record, kCGTabletEventRotation, rotation);
    writeDouble(record, kCGMouseEventPressure, pressure);
}

}  // namespace

EventRecord GeneratorRecords::proximityEnter(Point at, bool isEraser) {
    return proximity(true, at, isEraser);
}

EventRecord GeneratorRecords::proximityExit(Point pointer, bool isEraser) {
    return proximity(false, pointer, isEraser);
}

EventRecord GeneratorRecords::tabletMove(Point at, double tiltX, double tiltY, double rotation) {
    EventRecord record =
        created(EventRecordKind::mouse, kCGEventMouseMoved, at, kCGMouseButtonLeft);
    writeTabletPointFields(record);
    writeDouble(record, kCGTabletEventPointX, at.x);
    writeDouble(record, kCGTabletEventPointY, at.y);
    writeDouble(record, kCGTabletEventTiltX, tiltX);
    writeDouble(record, kCGTabletEventTiltY, -tiltY);
    writeDouble(record, kCGTabletEventRotation, rotation);
    return record;
}

EventRecord GeneratorRecords::rightMouseDown(Point at) {
    return rightButtonRecord(kCGEventRightMouseDown, at);
}

EventRecord GeneratorRecords::rightMouseDragged(Point at) {
    return rightButtonRecord(kCGEventRightMouseDragged, at);
}

EventRecord GeneratorRecords::rightMouseUp(Point at) {
    return rightButtonRecord(kCGEventRightMouseUp, at);
}

EventRecord GeneratorRecords::tabletPointer(Point at) {
    EventRecord record =
        created(EventRecordKind::mouse, kCGEventTabletPointer, at, kCGMouseButtonLeft);
    writeInteger(record, kCGTabletProximityEventEnterProximity, 1);
    writeInteger(record, kCGTabletEventPointButtons, 1);
    writeInteger(record, kCGTabletEventDeviceID, 1);
    return record;
}

EventRecord GeneratorRecords::penDown(Point at, double pressure, double tiltX, double tiltY,
                                      double rotation, bool withBarrel, int64_t clickCount) {
    EventRecord record =
        created(EventRecordKind::mouse, withBarrel ? kCGEventRightMouseDown : kCGEventLeftMouseDown,
                at, withBarrel ? kCGMouseButtonRight : kCGMouseButtonLeft);
    writeInteger(record, kCGMouseEventClickState, clickCount);
    writePressFields(record, at, pressure, tiltX, tiltY, rotation, withBarrel);
    return record;
}

EventRecord GeneratorRecords::penDragged(Point at, double pressure, double tiltX, double tiltY,
                                         double rotation, bool withBarrel) {
    EventRecord record = created(EventRecordKind::mouse,
                                 withBarrel ? kCGEventRightMouseDragged : kCGEventLeftMouseDragged,
                                 at, withBarrel ? kCGMouseButtonRight : kCGMouseButtonLeft);
    writePressFields(record, at, pressure, tiltX, tiltY, rotation, withBarrel);
    return record;
}

EventRecord GeneratorRecords::penUp(Point at, bool withBarrel, int64_t clickCount) {
    EventRecord record =
        created(EventRecordKind::mouse, withBarrel ? kCGEventRightMouseUp : kCGEventLeftMouseUp, at,
                withBarrel ? kCGMouseButtonRight : kCGMouseButtonLeft);
    writeInteger(record, kCGMouseEventClickState, clickCount);
    writeTabletPointFields(record);
    writeInteger(record, kCGTabletEventPointButtons, 0);
    writeDouble(record, kCGTabletEventPointX, at.x);
    writeDouble(record, kCGTabletEventPointY, at.y);
    writeDouble(record, kCGTabletEventPointPressure, 0.0);
    writeDouble(record, kCGMouseEventPressure, 0.0);
    return record;
}

EventRecord GeneratorRecords::mouse(CGEventType type, Point at, CGMouseButton button,
                                    int64_t clickState) {
    EventRecord record = created(EventRecordKind::mouse, type, at, button);
    writeInteger(record, kCGMouseEventClickState, clickState);
    return record;
}

EventRecord GeneratorRecords::scroll(int32_t vertical, int32_t horizontal) {
    EventRecord record;
    record.kind = EventRecordKind::scrollWheel;
    record.type = kCGEventScrollWheel;
    record.scrollUnits = kCGScrollEventUnitLine;
    record.wheelCount = 2;
    record.wheels = {vertical, horizontal, 0};
    return record;
}

EventRecord GeneratorRecords::key(uint16_t keyCode, bool keyDown, uint8_t modifiers) {
    EventRecord record;
    record.kind = EventRecordKind::keyboard;
    record.type = keyDown ? kCGEventKeyDown : kCGEventKeyUp;
    record.keyCode = keyCode;
    record.keyDown = keyDown;
    record.flagsSet = true;
    record.flags = ((modifiers & 0x11) != 0 ? kCGEventFlagMaskControl : 0) |
                   ((modifiers & 0x22) != 0 ? kCGEventFlagMaskShift : 0) |
                   ((modifiers & 0x44) != 0 ? kCGEventFlagMaskAlternate : 0) |
                   ((modifiers & 0x88) != 0 ? kCGEventFlagMaskCommand : 0);
    return record;
}

}  // namespace drawlume::testing
