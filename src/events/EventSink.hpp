#pragma once

#include <optional>

#include "events/EventRecord.hpp"
#include "util/Geometry.hpp"

namespace drawlume {

// Where event records go: the window system on a desktop, a recorder in tests,
// a printer for --print-events. Called on the main thread only.
class EventSink {
public:
    virtual ~EventSink() = default;

    // Whether an event can be created now. When it cannot, the operation that
    // asked does nothing, silently.
    virtual bool canCreateEvent() = 0;
    // The location an empty event carries: where the pointer is now, in event
    // coordinates. Nothing when no event can be created.
    virtual std::optional<Point> currentPointerLocation() = 0;
    virtual void post(const EventRecord& record) = 0;
};

}  // namespace drawlume
