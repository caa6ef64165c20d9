#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "devices/DeviceInfo.hpp"
#include "devices/TabletDeviceOwner.hpp"
#include "displays/MonitorInfo.hpp"
#include "services/AccessibilityTrust.hpp"
#include "services/EventOutput.hpp"
#include "services/RunLoop.hpp"
#include "services/SystemEvents.hpp"
#include "util/Published.hpp"
#include "util/Subscription.hpp"

namespace drawlume {

class DebugLogCollector;
class MonitorPreferences;
class TabletDeviceManager;

// The application's one observable model: runs the service only while events
// may be posted, keeps the devices and picks one, keeps the displays and the
// target display, relays sleep and wake, and mirrors the debug collector for
// the main window. Main thread only.
class TabletViewModel final : public std::enable_shared_from_this<TabletViewModel> {
    struct PassKey {
        explicit PassKey() = default;
    };

public:
    // Makes the device manager when the service starts; the manager holds its
    // owner weakly.
    using DeviceManagerFactory =
        std::function<std::shared_ptr<TabletDeviceManager>(std::weak_ptr<TabletDeviceOwner>)>;

    struct Services {
        RunLoop& mainQueue;
        SystemEvents& systemEvents;
        AccessibilityTrust& accessibilityTrust;
        MonitorPreferences& monitorPreferences;
        DebugLogCollector& debugLogCollector;
        // The localized text of a display row, as the display list shows it.
        std::function<std::string(const MonitorInfo&)> monitorDisplayText;
        DeviceManagerFactory makeDeviceManager;
        // Created when the service starts and removed when it stops. None:
        // posting needs nothing created (events are only printed or recorded).
        EventOutput* eventOutput = nullptr;
    };

    // Builds the model and runs its start-up: the permission check (which may
    // start the service), the observers, the display list, the collector.
    static std::shared_ptr<TabletViewModel> create(Services services);
    TabletViewModel(PassKey, Services services);
    ~TabletViewModel();
    TabletViewModel(const TabletViewModel&) = delete;
    TabletViewModel& operator=(const TabletViewModel&) = delete;

    // Published state: observers hear of every assignment before it happens.
    Published<bool> isRunning{false};
    Published<std::vector<DeviceInfo>> availableDevices;
    Published<std::optional<DeviceInfo>> selectedDevice;
    Published<bool> hasAccessibilityPermissions{false};
    Published<std::vector<MonitorInfo>> availableMonitors;
    Published<std::optional<MonitorInfo>> selectedMonitor;
    Published<std::vector<std::string>> debugLogs;
    // Mirrored into the debug collector after each assignment.
    Published<bool> isDebugLogEnabled{false};
    Published<int64_t> eventsPerSecond{0};
    // Why posting is or is not permitted, for the permission block.
    Published<AccessibilityTrustState> permissionState;
    // The desktop maps pens onto one display of its own choosing and would
    // not take the chosen one: the window says how to map it by hand.
    Published<bool> penMayLandElsewhere{false};

    // Told before any published property changes.
    [[nodiscard]] Subscription subscribeToChanges(std::function<void()> observer) const;

    void startService();
    void stopService();
    void checkAccessibilityPermissions();
    void deviceDiscovered(const DeviceInfo& device);
    void deviceRemoved(const DeviceInfo& device);
    void selectDevice(const DeviceInfo& device);
    void selectMonitor(const MonitorInfo& monitor);
    void updateAvailableMonitors();

private:
    class OwnerBridge;

    void start();
    // Publishes the permission state, logging it when it changed.
    void publishPermission(const AccessibilityTrustState& state);
    // Nothing when the event output exists now; otherwise why it cannot.
    std::optional<AccessibilityTrustState> openEventOutput();
    void forwardChanges();
    // Tells the event output which display the pen is for.
    void mapPenToSelectedMonitor();
    void setupAppActivationObserver();
    void setupScreenChangeObserver();
    void setupSleepWakeObservers();
    void setupDebugLogCollector();
    // Runs the work later on the main queue, if the model still exists then.
    void later(std::function<void(TabletViewModel&)> work);

    Services services_;
    std::shared_ptr<TabletDeviceManager> deviceManager_;
    std::shared_ptr<OwnerBridge> ownerBridge_;
    std::optional<SystemEvents::ObserverToken> appActivationObserver_;
    std::optional<SystemEvents::ObserverToken> screenChangeObserver_;
    std::optional<SystemEvents::ObserverToken> workspaceWillSleepObserver_;
    std::optional<SystemEvents::ObserverToken> workspaceDidWakeObserver_;
    Published<uint64_t> changes_{0};
    std::vector<Subscription> forwarders_;
};

}  // namespace drawlume
