#pragma once

#include <memory>
#include <vector>

#include "app/Alerts.hpp"
#include "app/DebugLogCollector.hpp"
#include "app/FirstDeviceOwner.hpp"
#include "app/RunLoop.hpp"
#include "devices/HidHost.hpp"
#include "devices/TabletDeviceManager.hpp"
#include "displays/ScreenList.hpp"
#include "displays/TargetScreenFrameProvider.hpp"
#include "events/EventSink.hpp"
#include "events/HeldInputReleaser.hpp"
#include "events/UserDefaultsHidSystemParameters.hpp"
#include "settings/UserDefaults.hpp"
#include "util/Clocks.hpp"

namespace drawlume {

// The pen's target without a display choice: the primary display, in event
// coordinates (top-left origin, y downward).
class PrimaryScreenFrame final : public TargetScreenFrameProvider {
public:
    explicit PrimaryScreenFrame(const ScreenList& screens) : screens_(screens) {}
    Rect targetScreenFrame() override;

private:
    const ScreenList& screens_;
};

// The device service without the application around it: a device manager
// whose owner selects the first device, on fixed displays, with settings kept
// in memory. Runs recordings (--replay) and live devices whose events are
// printed (--print-events).
class HeadlessAgent {
public:
    // The platform services; each must outlive the agent.
    struct Platform {
        HidHost& hidHost;
        RunLoop& mainRunLoop;
        EventSink& eventSink;
        const Clocks& clocks;
        Alerts& alerts;
        // What lets go of held input when the device closes; none for a printer.
        HeldInputReleaser* heldInputReleaser = nullptr;
    };

    HeadlessAgent(Platform platform, std::vector<ScreenDescription> screens);
    ~HeadlessAgent();
    HeadlessAgent(const HeadlessAgent&) = delete;
    HeadlessAgent& operator=(const HeadlessAgent&) = delete;

    // Creates the device manager, which finds devices once the run loop runs.
    void start();
    // Releases the active device and every device, and drops the manager.
    void stop();

    // One display of 1920 x 1080, where nothing else is known.
    static std::vector<ScreenDescription> defaultScreens();

    const FirstDeviceOwner& owner() const { return *owner_; }
    const TabletDeviceManager* deviceManager() const { return deviceManager_.get(); }

private:
    Platform platform_;
    InMemoryUserDefaults userDefaults_;
    FixedScreenList screenList_;
    PrimaryScreenFrame targetFrame_;
    DebugLogCollector debugLogCollector_;
    UserDefaultsHidSystemParameters hidSystemParameters_;
    std::shared_ptr<FirstDeviceOwner> owner_;
    std::shared_ptr<TabletDeviceManager> deviceManager_;
};

}  // namespace drawlume
