#pragma once

#include <cstdint>
#include <iosfwd>
#include <vector>

#include "events/EventGeneratorProtocol.hpp"

namespace drawlume {

// One call of an EventGeneratorProtocol operation with its arguments; the
// arguments an operation does not take keep their defaults, so whole calls
// compare equal.
struct GeneratorCall {
    enum class Operation {
        proximityEnter,
        tabletMove,
        rightMouseDown,
        rightMouseDragged,
        rightMouseUp,
        tabletPointer,
        penDown,
        penDragged,
        penUp,
        proximityExit,
        relativeMouseEvent,
        scrollEvent,
        keyboardEvent,
    };

    Operation operation = Operation::proximityEnter;
    Point at;
    bool isEraser = false;
    double pressure = 0;
    double tiltX = 0;
    double tiltY = 0;
    double rotation = 0;
    bool withBarrel = false;
    int64_t clickCount = 0;  // also the click state of a relative mouse event
    CGEventType type = kCGEventNull;
    int8_t deltaX = 0;
    int8_t deltaY = 0;
    CGMouseButton button = kCGMouseButtonLeft;
    int32_t vertical = 0;
    int32_t horizontal = 0;
    uint16_t keyCode = 0;
    bool keyDown = false;
    uint8_t modifiers = 0;

    bool operator==(const GeneratorCall&) const = default;
};

std::ostream& operator<<(std::ostream& stream, const GeneratorCall& call);
const char* operationName(GeneratorCall::Operation operation);

// An event generator that only remembers what it was asked to post.
class RecordingEventGenerator final : public EventGeneratorProtocol {
public:
    void postProximityEnter(Point at, bool isEraser) override;
    void postTabletMove(Point at, double tiltX, double tiltY, double rotation) override;
    void postRightMouseDown(Point at) override;
    void postRightMouseDragged(Point at) override;
    void postRightMouseUp(Point at) override;
    void postTabletPointer(Point at) override;
    void postPenDown(Point at, double pressure, double tiltX, double tiltY, double rotation,
                     bool withBarrel, int64_t clickCount) override;
    void postPenDragged(Point at, double pressure, double tiltX, double tiltY, double rotation,
                        bool withBarrel) override;
    void postPenUp(Point at, bool withBarrel, int64_t clickCount) override;
    void postProximityExit(bool isEraser) override;
    void postRelativeMouseEvent(CGEventType type, int8_t deltaX, int8_t deltaY,
                                CGMouseButton button, int64_t clickState) override;
    void postScrollEvent(int32_t vertical, int32_t horizontal) override;
    void postKeyboardEvent(uint16_t keyCode, bool keyDown, uint8_t modifiers) override;

    // Just the operations, in order.
    std::vector<GeneratorCall::Operation> operations() const;

    std::vector<GeneratorCall> calls;
};

}  // namespace drawlume
