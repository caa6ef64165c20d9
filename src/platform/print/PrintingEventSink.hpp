#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "events/EventRecord.hpp"
#include "events/EventSink.hpp"
#include "events/HeldInputReleaser.hpp"

namespace drawlume {

// An event sink that writes each record as one line of text instead of
// posting it, so that the whole pipeline runs on any machine. The pointer is
// where the last mouse record put it. Like the desktop's output it lets go
// of what its records left held when the companion closes (the end of a
// replay among them), and prints those releases as records too.
class PrintingEventSink final : public EventSink, public HeldInputReleaser {
public:
    PrintingEventSink(std::ostream& out, Point initialPointerLocation)
        : out_(out), pointer_(initialPointerLocation) {}

    bool canCreateEvent() override { return true; }
    std::optional<Point> currentPointerLocation() override { return pointer_; }
    void post(const EventRecord& record) override;
    // Button releases at the pointer, then key releases without modifier
    // flags, then the tool's proximity exit.
    void releaseAllHeldInput() override;

    // "kCGEventLeftMouseDown mouse (812.000, 455.000) button=0 kCGMouseEventClickState=1 tap=0"
    static std::string describe(const EventRecord& record);

private:
    void track(const EventRecord& record);

    std::ostream& out_;
    Point pointer_;
    // The press of each button still held, the keys still down and the
    // proximity record of a tool still in range.
    std::vector<EventRecord> heldButtons_;
    std::vector<uint16_t> heldKeys_;
    std::optional<EventRecord> toolInRange_;
};

}  // namespace drawlume
