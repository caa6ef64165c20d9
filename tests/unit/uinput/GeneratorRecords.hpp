#pragma once

#include <cstddef>  // EventRecord.hpp uses size_t without including it
#include <cstdint>

#include "events/EventRecord.hpp"

namespace drawlume::testing {

// Records as the event generator fills them, operation by operation: the
// type after any change of type, the location, the button and the field
// writes in the generator's order. Tilt Y arrives here as the report has it
// and is written negated, as the generator does.
class GeneratorRecords {
public:
    static EventRecord proximityEnter(Point at, bool isEraser);
    static EventRecord proximityExit(Point pointer, bool isEraser);
    static EventRecord tabletMove(Point at, double tiltX, double tiltY, double rotation);
    static EventRecord rightMouseDown(Point at);
    static EventRecord rightMouseDragged(Point at);
    static EventRecord rightMouseUp(Point at);
    static EventRecord tabletPointer(Point at);
    static EventRecord penDown(Point at, double pressure, double tiltX, double tiltY,
                               double rotation, bool withBarrel, int64_t clickCount = 1);
    static EventRecord penDragged(Point at, double pressure, double tiltX, double tiltY,
                                  double rotation, bool withBarrel);
    static EventRecord penUp(Point at, bool withBarrel, int64_t clickCount = 1);
    static EventRecord mouse(CGEventType type, Point at, CGMouseButton button,
                             int64_t clickState = 0);
    static EventRecord scroll(int32_t vertical, int32_t horizontal);
    static EventRecord key(uint16_t keyCode, bool keyDown, uint8_t modifiers = 0);
};

}  // namespace drawlume::testing
