#pragma once

#include <cstdint>

#include "Companion.hpp"
#include "Evdev.hpp"

namespace drawlume::e2e {

// The soak's pen reports: an endless series of strokes, 100 reports each (ten
// hovering, eighty touching with rising pressure and changing tilt, ten hovering
// again). The x of each report tells which report it is, modulo a thousand: the
// frame a program makes of it can be matched to it.
companion::PenReport soakReport(long index);

// Which of the reports sent made their frame. Frames come in the order of the
// reports, so the frame of report j tells that the reports before j that made none
// were lost. The program may place x a little off (a display mapping); less than
// half the distance between two reports' x is taken back.
class SoakLedger {
public:
    // Reports sent so far.
    void setSent(long count) { sent_ = count; }

    // A frame read from the program's pen device; frames without ABS_X are ignored.
    void frame(const Frame& frame);

    // Reports sent whose frame has not come (yet).
    long outstanding() const { return sent_ - next_; }

    // Gives up the oldest outstanding report as lost (its frame is overdue).
    void giveUpOldest();

    // No more frames will come: the outstanding reports are lost.
    void finish();

    long lost() const { return lost_; }
    long extra() const { return extra_; }
    long framesWithX() const { return framesWithX_; }

private:
    long sent_ = 0;
    long next_ = 0;  // the report whose frame is expected next
    long lost_ = 0;
    long extra_ = 0;
    long framesWithX_ = 0;
};

}  // namespace drawlume::e2e
