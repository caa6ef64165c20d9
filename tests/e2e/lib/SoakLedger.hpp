#pragma once

#include <cmath>
#include <cstdint>

#include <linux/input-event-codes.h>

#include "Evdev.hpp"
#include "input/CompanionReportLayout.hpp"

namespace drawlume::e2e {

// The soak's pen reports: an endless series of strokes, 100 reports each (ten
// hovering, eighty touching with rising pressure and changing tilt, ten hovering
// again). The x of each report tells which report it is, modulo a thousand: the
// frame a program makes of it can be matched to it.
constexpr long kSoakSlots = 1000;  // reports whose x differ
constexpr long kSoakFirstX = 1000;
constexpr long kSoakStepX = 30;

inline companion::PenReport soakReport(long index) {
    const long step = index % 100;
    companion::PenReport pen;
    pen.inRange = true;
    pen.tip = step >= 10 && step < 90;
    pen.x = static_cast<uint16_t>(kSoakFirstX + (index % kSoakSlots) * kSoakStepX);
    pen.y = static_cast<uint16_t>(6000 + step * 10);
    pen.pressure = pen.tip ? static_cast<uint16_t>(4000 + step * 300) : 0;
    pen.tiltX = static_cast<int8_t>(step % 40 - 20);
    pen.tiltY = static_cast<int8_t>(20 - step % 40);
    pen.twist = static_cast<uint16_t>(step * 3);
    return pen;
}

// Which of the reports sent made their frame. Frames come in the order of the
// reports, so the frame of report j tells that the reports before j that made none
// were lost. The program may place x a little off (a display mapping); less than
// half the distance between two reports' x is taken back.
class SoakLedger {
public:
    // Reports sent so far.
    void setSent(long count) { sent_ = count; }

    // A frame read from the program's pen device; frames without ABS_X are ignored.
    void frame(const Frame& frame) {
        for (const EventValue& event : frame) {
            if (event.type != EV_ABS || event.code != ABS_X) {
                continue;
            }
            ++framesWithX_;
            const long slot =
                std::lround(static_cast<double>(event.value - kSoakFirstX) / kSoakStepX);
            // The first report at or after the next expected one with this slot.
            const long offset =
                ((slot - next_ % kSoakSlots) % kSoakSlots + kSoakSlots) % kSoakSlots;
            const long index = next_ + offset;
            if (index >= sent_) {
                ++extra_;  // no report sent makes this frame: a repeat or a stray
                return;
            }
            lost_ += index - next_;
            next_ = index + 1;
            return;
        }
    }

    // Reports sent whose frame has not come (yet).
    long outstanding() const { return sent_ - next_; }

    // Gives up the oldest outstanding report as lost (its frame is overdue).
    void giveUpOldest() {
        if (next_ < sent_) {
            ++lost_;
            ++next_;
        }
    }

    // No more frames will come: the outstanding reports are lost.
    void finish() {
        lost_ += sent_ - next_;
        next_ = sent_;
    }

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
