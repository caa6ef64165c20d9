#pragma once

#include <memory>

#include "devices/HidHost.hpp"
#include "displays/ScreenList.hpp"
#include "events/EventSink.hpp"
#include "events/HeldInputReleaser.hpp"
#include "events/UserDefaultsHidSystemParameters.hpp"
#include "services/AccessibilityTrust.hpp"
#include "services/Alerts.hpp"
#include "services/EventOutput.hpp"
#include "services/RunLoop.hpp"
#include "services/SystemEvents.hpp"
#include "settings/UserDefaults.hpp"
#include "util/Clocks.hpp"

namespace drawlume {

class AppLocalization;
class DebugLogCollector;
class MonitorPreferences;
class TabletViewModel;

// What a run of the agent is built on: the platform's services, chosen by the
// windowed application, the headless one or a replay.
struct AgentPlatform {
    RunLoop& mainRunLoop;
    SystemEvents& systemEvents;
    AccessibilityTrust& accessibilityTrust;
    EventSink& eventSink;
    // Told when the active device closes; none when events are only printed.
    HeldInputReleaser* heldInputReleaser;
    HidHost& hidHost;
    Alerts& alerts;
    const Clocks& clocks;
    std::shared_ptr<const ScreenList> screens;
    std::shared_ptr<UserDefaults> defaults;
    // The devices behind the event sink, created while the service runs;
    // none when nothing needs creating.
    EventOutput* eventOutput = nullptr;
    // The desktop accelerates the pointer motion it is given, as it does for
    // any mouse, so ours must not.
    bool desktopScalesPointer = false;
};

// Everything between the platform and the windows: the language setting, the
// display preferences and the debug collector of this run, and the view
// model, which starts the service once events may be posted. They are the
// run's own objects rather than process-wide ones, so that every part of a
// run, the windows included, is handed the same instances.
class AgentCore {
public:
    explicit AgentCore(AgentPlatform platform);
    ~AgentCore();
    AgentCore(const AgentCore&) = delete;
    AgentCore& operator=(const AgentCore&) = delete;

    // Builds the one view model; its construction may already start the service.
    std::shared_ptr<TabletViewModel> makeViewModel();

    AppLocalization& localization() const { return *localization_; }
    MonitorPreferences& monitorPreferences() const { return *monitorPreferences_; }
    DebugLogCollector& debugLogCollector() const { return *debugLogCollector_; }
    const AgentPlatform& platform() const { return platform_; }

private:
    AgentPlatform platform_;
    UserDefaultsHidSystemParameters hidSystemParameters_;
    std::unique_ptr<AppLocalization> localization_;
    std::unique_ptr<MonitorPreferences> monitorPreferences_;
    std::unique_ptr<DebugLogCollector> debugLogCollector_;
};

}  // namespace drawlume
