#pragma once

#include "displays/ScreenList.hpp"
#include "displays/TargetScreenFrameProvider.hpp"
#include "events/EventSink.hpp"
#include "events/HidSystemParameters.hpp"
#include "services/DebugLines.hpp"
#include "settings/UserDefaults.hpp"
#include "util/Clocks.hpp"

namespace drawlume {

// The platform services that input translation and event synthesis use,
// handed over at construction. Every referenced object must outlive the
// translators built from it.
struct TranslationEnvironment {
    // Where event records go, and where the pointer is now.
    EventSink& eventSink;
    // Read once, when the event generator is built ("pointerAcceleration").
    const UserDefaults& userDefaults;
    // The displays that relative motion is kept on.
    const ScreenList& screenList;
    // The rectangle that pen positions are mapped onto.
    TargetScreenFrameProvider& targetScreenFrameProvider;
    // Report timing, click timing and the accelerator's time base.
    const Clocks& clocks;
    // The live debug view's lines and events-per-second figure.
    DebugLines& debugLines;
    // The system's say on accelerating a burst of relative motion.
    const HidSystemParameters& hidSystemParameters;
};

}  // namespace drawlume
