#pragma once

#include "app/DebugLogCollector.hpp"
#include "displays/ScreenList.hpp"
#include "events/TranslationEnvironment.hpp"
#include "platform/fake/FakeHidSystemParameters.hpp"
#include "platform/fake/FixedTargetScreenFrame.hpp"
#include "platform/fake/ManualClocks.hpp"
#include "platform/fake/ManualRunLoop.hpp"
#include "platform/fake/RecordingEventSink.hpp"
#include "settings/UserDefaults.hpp"

namespace drawlume {

// Every service that translation needs, as fakes, with the environment that
// points at them: one 1920x1080 screen that is also the pen's target, a
// collector delivering through a manual run loop, clocks that stand still.
struct FakeTranslationServices {
    FakeTranslationServices() : screenList({{"Primary", Rect{{0, 0}, {1920, 1080}}}}) {}

    FakeTranslationServices(const FakeTranslationServices&) = delete;
    FakeTranslationServices& operator=(const FakeTranslationServices&) = delete;

    TranslationEnvironment environment() {
        return TranslationEnvironment{eventSink, userDefaults,      screenList,         targetFrame,
                                      clocks,    debugLogCollector, hidSystemParameters};
    }

    RecordingEventSink eventSink;
    InMemoryUserDefaults userDefaults;
    FixedScreenList screenList;
    FixedTargetScreenFrame targetFrame;
    ManualClocks clocks;
    ManualRunLoop runLoop;
    DebugLogCollector debugLogCollector{&runLoop};
    FakeHidSystemParameters hidSystemParameters;
};

}  // namespace drawlume
