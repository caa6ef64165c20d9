#pragma once

#include <cstddef>  // EventRecord.hpp uses size_t without including it
#include <cstdint>

#include "events/EventRecord.hpp"

namespace drawlume::testing {

// Records made by the real event generator, one operation each, so that the
// sink is tested on exactly what it is given in the agent. Tilt Y is given as
// the report has it; the generator negates it.
class GeneratorRecords {
public:
    static EventRecord proximityEnter(Point at, bool isEraser);
    static EventRecord proximityExit(Point pointer, bool isEraser);
    static EventRecord penDown(Point at, double pressure, double tiltX, double tiltY,
                               double rotation, bool withBarrel, int64_t clickCount = 1);
    static EventRecord penDragged(Point at, double pressure, double tiltX, double tiltY,
                                  double rotation, bool withBarrel);
    static EventRecord mouse(CGEventType type, Point at, CGMouseButton button,
                             int64_t clickState = 0);
    static EventRecord scroll(int32_t vertical, int32_t horizontal);
    static EventRecord key(uint16_t keyCode, bool keyDown, uint8_t modifiers = 0);
};

}  // namespace drawlume::testing
