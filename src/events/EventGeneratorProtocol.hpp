#pragma once

#include <cstdint>

#include "events/CGEventConstants.hpp"
#include "util/Geometry.hpp"

namespace drawlume {

// The thirteen posting operations through which input translation reaches the
// event generator. Points are in event coordinates (top-left origin, y down).
class EventGeneratorProtocol {
public:
    virtual ~EventGeneratorProtocol() = default;

    virtual void postProximityEnter(Point at, bool isEraser) = 0;
    virtual void postTabletMove(Point at, double tiltX, double tiltY, double rotation) = 0;
    virtual void postRightMouseDown(Point at) = 0;
    virtual void postRightMouseDragged(Point at) = 0;
    virtual void postRightMouseUp(Point at) = 0;
    virtual void postTabletPointer(Point at) = 0;
    virtual void postPenDown(Point at, double pressure, double tiltX, double tiltY, double rotation,
                             bool withBarrel, int64_t clickCount) = 0;
    virtual void postPenDragged(Point at, double pressure, double tiltX, double tiltY,
                                double rotation, bool withBarrel) = 0;
    virtual void postPenUp(Point at, bool withBarrel, int64_t clickCount) = 0;
    virtual void postProximityExit(bool isEraser) = 0;
    virtual void postRelativeMouseEvent(CGEventType type, int8_t deltaX, int8_t deltaY,
                                        CGMouseButton button, int64_t clickState) = 0;
    virtual void postScrollEvent(int32_t vertical, int32_t horizontal) = 0;
    virtual void postKeyboardEvent(uint16_t keyCode, bool keyDown, uint8_t modifiers) = 0;
};

}  // namespace drawlume
