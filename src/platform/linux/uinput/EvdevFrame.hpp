#pragma once

#include <array>
#include <cstddef>
#include <span>

#include <linux/input-event-codes.h>

#include "platform/linux/uinput/UinputWriter.hpp"

namespace drawlume {

// One frame under construction: events in order, closed by SYN_REPORT.
// Fixed capacity on the stack, so building one never allocates (and the exit
// path can build one inside a signal handler).
class EvdevFrame {
public:
    static constexpr size_t kCapacity = 32;

    // Appends an event; false when only the closing SYN_REPORT still fits.
    bool push(uint16_t type, uint16_t code, int32_t value) noexcept {
        if (full()) {
            return false;
        }
        events_[size_++] = EvdevEvent{type, code, value};
        return true;
    }

    bool empty() const noexcept { return size_ == 0; }
    bool full() const noexcept { return size_ + 1 >= kCapacity; }
    void clear() noexcept { size_ = 0; }

    // The events with the closing SYN_REPORT; the frame must not be empty.
    std::span<const EvdevEvent> finish() noexcept {
        events_[size_] = EvdevEvent{EV_SYN, SYN_REPORT, 0};
        return std::span<const EvdevEvent>(events_.data(), size_ + 1);
    }

private:
    std::array<EvdevEvent, kCapacity> events_;  // only the first size_ are written
    size_t size_ = 0;
};

}  // namespace drawlume
