#pragma once

#include <cstdint>
#include <optional>

#include "events/EventGeneratorProtocol.hpp"
#include "events/EventRecord.hpp"
#include "events/TranslationEnvironment.hpp"
#include "input/PointerAccelerator.hpp"

namespace drawlume {

// The only place synthetic events are made. Each operation builds one event
// record (what was created, every field written in order, where it is posted)
// and hands it to the sink; when the sink cannot create an event the
// operation does nothing. Main thread only.
class EventGenerator final : public EventGeneratorProtocol {
public:
    // Reads "pointerAcceleration" once: a stored Boolean false leaves relative
    // motion unaccelerated for this generator's whole life.
    EventGenerator(CGEventTapLocation eventTap, const TranslationEnvironment& environment);

    EventGenerator(const EventGenerator&) = delete;
    EventGenerator& operator=(const EventGenerator&) = delete;

    // Allowed unless the system reports a non-zero linear-scaling flag.
    bool systemAllowsAcceleration() const;

    CGEventTapLocation eventTap() const { return eventTap_; }
    const std::optional<PointerAccelerator>& pointerAccelerator() const {
        return pointerAccelerator_;
    }

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

private:
    // Starts `record` as a mouse event created at `at` with `button`; false
    // when the sink cannot create an event now. Defined here, as `post`: every
    // report makes a record, and a call costs more than they do.
    bool createMouseEvent(EventRecord& record, CGEventType type, Point at,
                          CGMouseButton button) const {
        if (!eventSink_.canCreateEvent()) {
            return false;
        }
        record.kind = EventRecordKind::mouse;
        record.type = type;
        record.location = at;
        record.mouseButton = button;
        return true;
    }
    void post(EventRecord& record) const {
        record.tapLocation = eventTap_;
        eventSink_.post(record);
    }
    void postRightButtonEvent(CGEventType type, Point at);
    void postPressureEvent(CGEventType leftType, CGEventType rightType, Point at, double pressure,
                           double tiltX, double tiltY, double rotation, bool withBarrel,
                           std::optional<int64_t> clickCount);
    Point keepOnScreens(Point target) const;

    const CGEventTapLocation eventTap_;
    EventSink& eventSink_;
    const ScreenList& screenList_;
    const Clocks& clocks_;
    const HidSystemParameters& hidSystemParameters_;
    std::optional<PointerAccelerator> pointerAccelerator_;
};

}  // namespace drawlume
