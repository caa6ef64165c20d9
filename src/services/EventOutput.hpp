#pragma once

#include <cstdint>
#include <optional>

#include "services/AccessibilityTrust.hpp"

namespace drawlume {

// What came of asking the desktop to put the pen on the chosen display.
enum class PenDisplayMapping : uint8_t {
    // The desktop spreads the pen over all displays; the agent aims itself.
    wholeDesktop,
    // The desktop maps the pen onto the chosen display, as asked.
    mapped,
    // The desktop maps pens onto one display of its choosing and refused to
    // take ours: the pen may land on another display.
    refused,
};

// The devices that events are posted through. They exist exactly while the
// service runs: a permission check that passes says only that they may be
// created, not that they were, so the service creates them before it starts
// and removes them when it stops.
class EventOutput {
public:
    virtual ~EventOutput() = default;

    // Creates the devices unless they exist already. Nothing when they exist
    // now; otherwise the permission state that says why they cannot.
    virtual std::optional<AccessibilityTrustState> open() = 0;
    // Lets go of everything held and removes the devices; nothing when there are none.
    virtual void close() = 0;
    // The display the pen is for, as a position in the screen list; asked
    // again after each choice, each change of the displays and each open().
    virtual PenDisplayMapping mapPenToDisplay(int64_t /*screenIndex*/) {
        return PenDisplayMapping::wholeDesktop;
    }
};

}  // namespace drawlume
