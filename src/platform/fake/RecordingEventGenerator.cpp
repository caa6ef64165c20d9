#include "platform/fake/RecordingEventGenerator.hpp"

#include <ostream>

namespace drawlume {

using Operation = GeneratorCall::Operation;

const char* operationName(Operation operation) {
    switch (operation) {
        case Operation::proximityEnter:
            return "proximityEnter";
        case Operation::tabletMove:
            return "tabletMove";
        case Operation::rightMouseDown:
            return "rightMouseDown";
        case Operation::rightMouseDragged:
            return "rightMouseDragged";
        case Operation::rightMouseUp:
            return "rightMouseUp";
        case Operation::tabletPointer:
            return "tabletPointer";
        case Operation::penDown:
            return "penDown";
        case Operation::penDragged:
            return "penDragged";
        case Operation::penUp:
            return "penUp";
        case Operation::proximityExit:
            return "proximityExit";
        case Operation::relativeMouseEvent:
            return "relativeMouseEvent";
        case Operation::scrollEvent:
            return "scrollEvent";
        case Operation::keyboardEvent:
            return "keyboardEvent";
    }
    return "?";
}

std::ostream& operator<<(std::ostream& stream, const GeneratorCall& call) {
    stream << operationName(call.operation) << "(at=" << call.at.x << "," << call.at.y
           << " eraser=" << call.isEraser << " pressure=" << call.pressure << " tilt=" << call.tiltX
           << "," << call.tiltY << " rotation=" << call.rotation << " barrel=" << call.withBarrel
           << " clicks=" << call.clickCount << " type=" << call.type
           << " delta=" << int{call.deltaX} << "," << int{call.deltaY} << " button=" << call.button
           << " wheels=" << call.vertical << "," << call.horizontal << " key=" << call.keyCode
           << (call.keyDown ? " down" : " up") << " modifiers=" << int{call.modifiers} << ")";
    return stream;
}

void RecordingEventGenerator::postProximityEnter(Point at, bool isEraser) {
    calls.push_back({.operation = Operation::proximityEnter, .at = at, .isEraser = isEraser});
}

void RecordingEventGenerator::postTabletMove(Point at, double tiltX, double tiltY,
                                             double rotation) {
    calls.push_back({.operation = Operation::tabletMove,
                     .at = at,
                     .tiltX = tiltX,
                     .tiltY = tiltY,
                     .rotation = rotation});
}

void RecordingEventGenerator::postRightMouseDown(Point at) {
    calls.push_back({.operation = Operation::rightMouseDown, .at = at});
}

void RecordingEventGenerator::postRightMouseDragged(Point at) {
    calls.push_back({.operation = Operation::rightMouseDragged, .at = at});
}

void RecordingEventGenerator::postRightMouseUp(Point at) {
    calls.push_back({.operation = Operation::rightMouseUp, .at = at});
}

void RecordingEventGenerator::postTabletPointer(Point at) {
    calls.push_back({.operation = Operation::tabletPointer, .at = at});
}

void RecordingEventGenerator::postPenDown(Point at, double pressure, double tiltX, double tiltY,
                                          double rotation, bool withBarrel, int64_t clickCount) {
    calls.push_back({.operation = Operation::penDown,
                     .at = at,
                     .pressure = pressure,
                     .tiltX = tiltX,
                     .tiltY = tiltY,
                     .rotation = rotation,
                     .withBarrel = withBarrel,
                     .clickCount = clickCount});
}

void RecordingEventGenerator::postPenDragged(Point at, double pressure, double tiltX, double tiltY,
                                             double rotation, bool withBarrel) {
    calls.push_back({.operation = Operation::penDragged,
                     .at = at,
                     .pressure = pressure,
                     .tiltX = tiltX,
                     .tiltY = tiltY,
                     .rotation = rotation,
                     .withBarrel = withBarrel});
}

void RecordingEventGenerator::postPenUp(Point at, bool withBarrel, int64_t clickCount) {
    calls.push_back({.operation = Operation::penUp,
                     .at = at,
                     .withBarrel = withBarrel,
                     .clickCount = clickCount});
}

void RecordingEventGenerator::postProximityExit(bool isEraser) {
    calls.push_back({.operation = Operation::proximityExit, .at = {}, .isEraser = isEraser});
}

void RecordingEventGenerator::postRelativeMouseEvent(CGEventType type, int8_t deltaX, int8_t deltaY,
                                                     CGMouseButton button, int64_t clickState) {
    calls.push_back({.operation = Operation::relativeMouseEvent,
                     .at = {},
                     .clickCount = clickState,
                     .type = type,
                     .deltaX = deltaX,
                     .deltaY = deltaY,
                     .button = button});
}

void RecordingEventGenerator::postScrollEvent(int32_t vertical, int32_t horizontal) {
    calls.push_back({.operation = Operation::scrollEvent,
                     .at = {},
                     .vertical = vertical,
                     .horizontal = horizontal});
}

void RecordingEventGenerator::postKeyboardEvent(uint16_t keyCode, bool keyDown, uint8_t modifiers) {
    calls.push_back({.operation = Operation::keyboardEvent,
                     .at = {},
                     .keyCode = keyCode,
                     .keyDown = keyDown,
                     .modifiers = modifiers});
}

std::vector<Operation> RecordingEventGenerator::operations() const {
    std::vector<Operation> result;
    result.reserve(calls.size());
    for (const GeneratorCall& call : calls) {
        result.push_back(call.operation);
    }
    return result;
}

}  // namespace drawlume
