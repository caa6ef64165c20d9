#include "platform/linux/uinput/GeneratorRecords.hpp"

#include "events/EventGenerator.hpp"
#include "platform/fake/FakeTranslationServices.hpp"

namespace drawlume::testing {

namespace {

// Runs one operation of the real event generator and returns the record it
// posted. Without displays, a relative move of nothing lands exactly where
// the pointer is, so mouse records can be aimed at any point.
template <class Operation>
EventRecord generated(Operation operation, Point pointer = {}) {
    FakeTranslationServices services;
    services.screenList.setScreens({});
    services.eventSink.pointerLocation = pointer;
    EventGenerator generator(kCGHIDEventTap, services.environment());
    operation(generator);
    return services.eventSink.records.at(0);
}

}  // namespace

EventRecord GeneratorRecords::proximityEnter(Point at, bool isEraser) {
    return generated([&](EventGenerator& g) { g.postProximityEnter(at, isEraser); });
}

EventRecord GeneratorRecords::proximityExit(Point pointer, bool isEraser) {
    return generated([&](EventGenerator& g) { g.postProximityExit(isEraser); }, pointer);
}

EventRecord GeneratorRecords::penDown(Point at, double pressure, double tiltX, double tiltY,
                                      double rotation, bool withBarrel, int64_t clickCount) {
    return generated([&](EventGenerator& g) {
        g.postPenDown(at, pressure, tiltX, tiltY, rotation, withBarrel, clickCount);
    });
}

EventRecord GeneratorRecords::penDragged(Point at, double pressure, double tiltX, double tiltY,
                                         double rotation, bool withBarrel) {
    return generated([&](EventGenerator& g) {
        g.postPenDragged(at, pressure, tiltX, tiltY, rotation, withBarrel);
    });
}

EventRecord GeneratorRecords::mouse(CGEventType type, Point at, CGMouseButton button,
                                    int64_t clickState) {
    return generated(
        [&](EventGenerator& g) { g.postRelativeMouseEvent(type, 0, 0, button, clickState); }, at);
}

EventRecord GeneratorRecords::scroll(int32_t vertical, int32_t horizontal) {
    return generated([&](EventGenerator& g) { g.postScrollEvent(vertical, horizontal); });
}

EventRecord GeneratorRecords::key(uint16_t keyCode, bool keyDown, uint8_t modifiers) {
    return generated([&](EventGenerator& g) { g.postKeyboardEvent(keyCode, keyDown, modifiers); });
}

}  // namespace drawlume::testing
