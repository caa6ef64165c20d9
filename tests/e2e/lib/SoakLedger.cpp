#include "SoakLedger.hpp"

#include <cmath>

namespace drawlume::e2e {
namespace {

constexpr long kSlots = 1000;  // reports whose x differ
constexpr long kFirstX = 1000;
constexpr long kStepX = 30;
constexpr uint16_t kEvAbs = 0x03;
constexpr uint16_t kAbsX = 0x00;

}  // namespace

companion::PenReport soakReport(long index) {
    const long step = index % 100;
    companion::PenReport pen;
    pen.inRange = true;
    pen.tip = step >= 10 && step < 90;
    pen.x = static_cast<uint16_t>(kFirstX + (index % kSlots) * kStepX);
    pen.y = static_cast<uint16_t>(6000 + step * 10);
    pen.pressure = pen.tip ? static_cast<uint16_t>(4000 + step * 300) : 0;
    pen.tiltX = static_cast<int8_t>(step % 40 - 20);
    pen.tiltY = static_cast<int8_t>(20 - step % 40);
    pen.twist = static_cast<uint16_t>(step * 3);
    return pen;
}

void SoakLedger::frame(const Frame& frame) {
    for (const EventValue& event : frame.events) {
        if (event.type != kEvAbs || event.code != kAbsX) {
            continue;
        }
        ++framesWithX_;
        const long slot = std::lround(static_cast<double>(event.value - kFirstX) / kStepX);
        // The first report at or after the next expected one with this slot.
        const long offset = ((slot - next_ % kSlots) % kSlots + kSlots) % kSlots;
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

void SoakLedger::giveUpOldest() {
    if (next_ < sent_) {
        ++lost_;
        ++next_;
    }
}

void SoakLedger::finish() {
    lost_ += sent_ - next_;
    next_ = sent_;
}

}  // namespace drawlume::e2e
