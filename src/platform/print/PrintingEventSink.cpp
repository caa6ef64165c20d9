#include "platform/print/PrintingEventSink.hpp"

#include <algorithm>

#include "events/EventFieldWrites.hpp"
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

// The release of a press: the up type of its button, or none for another record.
std::optional<CGEventType> releaseType(CGEventType type) {
    switch (type) {
        case kCGEventLeftMouseDown:
            return kCGEventLeftMouseUp;
        case kCGEventRightMouseDown:
            return kCGEventRightMouseUp;
        case kCGEventOtherMouseDown:
            return kCGEventOtherMouseUp;
        default:
            return std::nullopt;
    }
}

bool isRelease(CGEventType type) {
    return type == kCGEventLeftMouseUp || type == kCGEventRightMouseUp ||
           type == kCGEventOtherMouseUp;
}

// The value of an integer field the record wrote, if it wrote one.
std::optional<int64_t> integerField(const EventRecord& record, CGEventField field) {
    const size_t count = std::min<size_t>(record.fieldCount, record.fields.size());
    for (size_t i = 0; i < count; ++i) {
        if (record.fields[i].field == field && !record.fields[i].isDouble) {
            return record.fields[i].integerValue;
        }
    }
    return std::nullopt;
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

void PrintingEventSink::track(const EventRecord& record) {
    const auto sameButton = [&record](const EventRecord& press) {
        return press.mouseButton == record.mouseButton;
    };
    if (record.type == kCGEventTabletProximity) {
        if (integerField(record, kCGTabletProximityEventEnterProximity).value_or(0) != 0) {
            toolInRange_ = record;
        } else {
            toolInRange_.reset();
        }
    } else if (record.kind == EventRecordKind::mouse) {
        if (releaseType(record.type)) {
            std::erase_if(heldButtons_, sameButton);
            heldButtons_.push_back(record);
        } else if (isRelease(record.type)) {
            std::erase_if(heldButtons_, sameButton);
        }
    } else if (record.kind == EventRecordKind::keyboard) {
        std::erase(heldKeys_, record.keyCode);
        if (record.keyDown) {
            heldKeys_.push_back(record.keyCode);
        }
    }
}

void PrintingEventSink::releaseAllHeldInput() {
    // Copies: each release posted changes what is held.
    for (const EventRecord& press : std::vector<EventRecord>(heldButtons_)) {
        EventRecord release;
        release.type = *releaseType(press.type);
        release.location = pointer_;
        release.mouseButton = press.mouseButton;
        release.tapLocation = press.tapLocation;
        // A pen's press stays a pen's release.
        if (const std::optional<int64_t> subtype = integerField(press, kCGMouseEventSubtype)) {
            writeInteger(release, kCGMouseEventSubtype, *subtype);
        }
        post(release);
    }
    for (const uint16_t key : std::vector<uint16_t>(heldKeys_)) {
        EventRecord release;
        release.kind = EventRecordKind::keyboard;
        release.type = kCGEventKeyUp;
        release.keyCode = key;
        release.flagsSet = true;  // nothing is held any more
        post(release);
    }
    if (toolInRange_) {
        EventRecord exit = *toolInRange_;
        exit.location = pointer_;
        for (size_t i = 0; i < exit.fieldCount && i < exit.fields.size(); ++i) {
            if (exit.fields[i].field == kCGTabletProximityEventEnterProximity) {
                exit.fields[i].integerValue = 0;
            }
        }
        post(exit);
    }
}

void PrintingEventSink::post(const EventRecord& record) {
    if (record.kind == EventRecordKind::mouse) {
        pointer_ = record.location;
    }
    track(record);
    // Flushed at once: a reader following a live device sees each event as it happens.
    out_ << describe(record) << std::endl;
}

}  // namespace drawlume
