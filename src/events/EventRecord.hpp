#pragma once

#include <array>
#include <cstdint>

#include "events/CGEventConstants.hpp"
#include "util/Geometry.hpp"

namespace drawlume {

// How the event of a record was created, which decides what else it carries.
enum class EventRecordKind : uint8_t {
    mouse,        // created as a mouse event at `location` with `mouseButton`
    empty,        // created empty: `location` is where the pointer was
    scrollWheel,  // `scrollUnits`, `wheelCount`, `wheels`
    keyboard,     // `keyCode`, `keyDown`, and `flags` when `flagsSet`
};

// One write of an event field, in the order it was made. No member
// initialisers: a record's unused writes stay unwritten, since a record is
// built for every report and clearing all of them costs more than the rest.
struct EventFieldWrite {
    CGEventField field;
    bool isDouble;
    int64_t integerValue;
    double doubleValue;
};

// The complete outcome of one generator operation: what was created, every
// field written in order, and where it was posted. Fixed capacity, so that
// building one never allocates.
struct EventRecord {
    static constexpr size_t kMaximumFieldWrites = 16;

    EventRecordKind kind = EventRecordKind::mouse;
    // The type after any change of type.
    CGEventType type = kCGEventNull;
    Point location;  // event coordinates: top-left origin, y downward
    CGMouseButton mouseButton = kCGMouseButtonLeft;
    std::array<EventFieldWrite, kMaximumFieldWrites> fields;  // the first fieldCount are written
    uint8_t fieldCount = 0;
    bool flagsSet = false;
    CGEventFlags flags = 0;
    CGEventTapLocation tapLocation = kCGHIDEventTap;

    CGScrollEventUnit scrollUnits = kCGScrollEventUnitLine;
    uint32_t wheelCount = 0;
    std::array<int32_t, 3> wheels{};

    uint16_t keyCode = 0;
    bool keyDown = false;
};

}  // namespace drawlume
