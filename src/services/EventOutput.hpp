#pragma once

#include <optional>

#include "services/AccessibilityTrust.hpp"

namespace drawlume {

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
};

}  // namespace drawlume
