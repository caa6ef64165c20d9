#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "events/EventRecord.hpp"
#include "events/EventSink.hpp"

namespace drawlume {

// An event sink that writes each record as one line of text instead of
// posting it, so that the whole pipeline runs on any machine. The pointer is
// where the last mouse record put it.
class PrintingEventSink final : public EventSink {
public:
    PrintingEventSink(std::ostream& out, Point initialPointerLocation)
        : out_(out), pointer_(initialPointerLocation) {}

    bool canCreateEvent() override { return true; }
    std::optional<Point> currentPointerLocation() override { return pointer_; }
    void post(const EventRecord& record) override;

    // "kCGEventLeftMouseDown mouse (812.000, 455.000) button=0 kCGMouseEventClickState=1 tap=0"
    static std::string describe(const EventRecord& record);

private:
    std::ostream& out_;
    Point pointer_;
};

}  // namespace drawlume
