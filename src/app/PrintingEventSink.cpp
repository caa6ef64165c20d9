#include "app/PrintingEventSink.hpp"

#include "util/TextFormat.hpp"

namespace drawlume {

namespace {

std::string typeName(CGEventType type) {
    switch (type) {
        case kCGEventNull:
            return "kCGEventNull";
        case kCGEventLeftMouseDown:
            return "kCGEventLeftMouseDown";
        case kCGEventLeftMouseUp:
            return "kCGEventLeftMouseUp";
        case kCGEventRightMouseDown:
            return "kCGEventRightMouseDown";
        case kCGEventRightMouseUp:
            return "kCGEventRightMouseUp";
        case kCGEventMouseMoved:
            return "kCGEventMouseMoved";
        case kCGEventLeftMouseDragged:
            return "kCGEventLeftMouseDragged";
        case kCGEventRightMouseDragged:
            return "kCGEventRightMouseDragged";
        case kCGEventKeyDown:
            return "kCGEventKeyDown";
        case kCGEventKeyUp:
            return "kCGEventKeyUp";
        case kCGEventScrollWheel:
            return "kCGEventScrollWheel";
        case kCGEventTabletPointer:
            return "kCGEventTabletPointer";
        case kCGEventTabletProximity:
            return "kCGEventTabletProximity";
        case kCGEventOtherMouseDown:
            return "kCGEventOtherMouseDown";
        case kCGEventOtherMouseUp:
            return "kCGEventOtherMouseUp";
        case kCGEventOtherMouseDragged:
            return "kCGEventOtherMouseDragged";
        default:
            return strf("type%u", type);
    }
}

std::string fieldName(CGEventField field) {
    switch (field) {
        case kCGMouseEventClickState:
            return "kCGMouseEventClickState";
        case kCGMouseEventPressure:
            return "kCGMouseEventPressure";
        case kCGMouseEventSubtype:
            return "kCGMouseEventSubtype";
        case kCGTabletEventPointX:
            return "kCGTabletEventPointX";
        case kCGTabletEventPointY:
            return "kCGTabletEventPointY";
        case kCGTabletEventPointButtons:
            return "kCGTabletEventPointButtons";
        case kCGTabletEventPointPressure:
            return "kCGTabletEventPointPressure";
        case kCGTabletEventTiltX:
            return "kCGTabletEventTiltX";
        case kCGTabletEventTiltY:
            return "kCGTabletEventTiltY";
        case kCGTabletEventRotation:
            return "kCGTabletEventRotation";
        case kCGTabletEventDeviceID:
            return "kCGTabletEventDeviceID";
        case kCGTabletProximityEventDeviceID:
            return "kCGTabletProximityEventDeviceID";
        case kCGTabletProximityEventVendorPointerType:
            return "kCGTabletProximityEventVendorPointerType";
        case kCGTabletProximityEventCapabilityMask:
            return "kCGTabletProximityEventCapabilityMask";
        case kCGTabletProximityEventPointerType:
            return "kCGTabletProximityEventPointerType";
        case kCGTabletProximityEventEnterProximity:
            return "kCGTabletProximityEventEnterProximity";
        default:
            return strf("field%u", field);
    }
}

std::string location(Point point) {
    return strf("(%.3f, %.3f)", point.x, point.y);
}

}  // namespace

std::string PrintingEventSink::describe(const EventRecord& record) {
    std::string line = typeName(record.type);
    switch (record.kind) {
        case EventRecordKind::mouse:
            line += " mouse " + location(record.location) + strf(" button=%u", record.mouseButton);
            break;
        case EventRecordKind::empty:
            line += " empty " + location(record.location);
            break;
        case EventRecordKind::scrollWheel:
            line += strf(" scroll units=%u count=%u wheels=%d,%d,%d", record.scrollUnits,
                         record.wheelCount, record.wheels[0], record.wheels[1], record.wheels[2]);
            break;
        case EventRecordKind::keyboard:
            line += strf(" key=%u %s", record.keyCode, record.keyDown ? "down" : "up");
            break;
    }
    const size_t count = std::min<size_t>(record.fieldCount, record.fields.size());
    for (size_t i = 0; i < count; ++i) {
        const EventFieldWrite& write = record.fields[i];
        line += " " + fieldName(write.field) + "=" +
                (write.isDouble ? strf("%.6g", write.doubleValue)
                                : strf("%lld", static_cast<long long>(write.integerValue)));
    }
    if (record.flagsSet) {
        line += strf(" flags=0x%llx", static_cast<unsigned long long>(record.flags));
    }
    line += strf(" tap=%u", record.tapLocation);
    return line;
}

void PrintingEventSink::post(const EventRecord& record) {
    if (record.kind == EventRecordKind::mouse) {
        pointer_ = record.location;
    }
    // Flushed at once: a reader following a live device sees each event as it happens.
    out_ << describe(record) << std::endl;
}

}  // namespace drawlume
