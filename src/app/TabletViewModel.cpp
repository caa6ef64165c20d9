#include "app/TabletViewModel.hpp"

#include <algorithm>
#include <utility>

#include "app/DebugLogCollector.hpp"
#include "devices/TabletDeviceManager.hpp"
#include "displays/MonitorPreferences.hpp"
#include "logging/LogMacros.hpp"

namespace drawlume {

namespace {
constexpr const char* kLogFile = "Drawlume___Bluetooth_Agent/TabletViewModel";
}

// The device manager's view of its owner. A separate object, because the
// model's published `selectedDevice` and the owner's question of the same
// name cannot share one class.
class TabletViewModel::OwnerBridge final : public TabletDeviceOwner {
public:
    explicit OwnerBridge(TabletViewModel& model) : model_(model) {}
    void deviceDiscovered(const DeviceInfo& device) override { model_.deviceDiscovered(device); }
    void deviceRemoved(const DeviceInfo& device) override { model_.deviceRemoved(device); }
    std::optional<DeviceInfo> selectedDevice() const override { return model_.selectedDevice; }

private:
    TabletViewModel& model_;
};

std::shared_ptr<TabletViewModel> TabletViewModel::create(Services services) {
    auto model = std::make_shared<TabletViewModel>(PassKey{}, std::move(services));
    model->start();
    return model;
}

TabletViewModel::TabletViewModel(PassKey, Services services)
    : services_(std::move(services)), ownerBridge_(std::make_shared<OwnerBridge>(*this)) {}

TabletViewModel::~TabletViewModel() {
    for (auto* token : {&appActivationObserver_, &screenChangeObserver_,
                        &workspaceWillSleepObserver_, &workspaceDidWakeObserver_}) {
        if (*token) {
            services_.systemEvents.removeObserver(**token);
        }
    }
    services_.debugLogCollector.setOnLogUpdated(nullptr);
    services_.debugLogCollector.setOnEventsPerSecUpdated(nullptr);
    // Released without stop(): termination stops the service itself first.
    deviceManager_.reset();
}

void TabletViewModel::start() {
    forwardChanges();
    checkAccessibilityPermissions();
    setupAppActivationObserver();
    setupScreenChangeObserver();
    setupSleepWakeObservers();
    updateAvailableMonitors();
    setupDebugLogCollector();
}

void TabletViewModel::forwardChanges() {
    const auto forward = [this](const auto& published) {
        forwarders_.push_back(
            published.subscribe([this](const auto&) { changes_.set(changes_.get() + 1); }));
    };
    forward(isRunning);
    forward(availableDevices);
    forward(selectedDevice);
    forward(hasAccessibilityPermissions);
    forward(availableMonitors);
    forward(selectedMonitor);
    forward(debugLogs);
    forward(isDebugLogEnabled);
    forward(eventsPerSecond);
    forward(permissionState);
    forward(penMayLandElsewhere);
    // Observers hear of the new value before it is stored; the collector
    // only needs to end up with it.
    forwarders_.push_back(isDebugLogEnabled.subscribe(
        [this](bool enabled) { services_.debugLogCollector.setEnabled(enabled); }));
}

Subscription TabletViewModel::subscribeToChanges(std::function<void()> observer) const {
    return changes_.subscribe([observer = std::move(observer)](uint64_t) { observer(); });
}

void TabletViewModel::later(std::function<void(TabletViewModel&)> work) {
    services_.mainQueue.post([weak = weak_from_this(), work = std::move(work)] {
        if (const auto model = weak.lock()) {
            work(*model);
        }
    });
}

void TabletViewModel::checkAccessibilityPermissions() {
    AccessibilityTrustState state = services_.accessibilityTrust.check();
    // A permission that passes but leaves no device to post through is no
    // permission: the window would say "Running" while every event is lost.
    if (state.trusted) {
        if (std::optional<AccessibilityTrustState> failure = openEventOutput()) {
            state = std::move(*failure);
        }
    }
    publishPermission(state);
    if (hasAccessibilityPermissions) {
        startService();
    } else {
        stopService();
    }
}

void TabletViewModel::publishPermission(const AccessibilityTrustState& state) {
    if (state != permissionState.get()) {
        logAccessibilityTrust(state);
    }
    permissionState.set(state);
    hasAccessibilityPermissions.set(state.trusted);
}

std::optional<AccessibilityTrustState> TabletViewModel::openEventOutput() {
    if (services_.eventOutput == nullptr) {
        return std::nullopt;
    }
    return services_.eventOutput->open();
}

void TabletViewModel::startService() {
    if (!hasAccessibilityPermissions) {
        DDLogError("startService()", "ERROR: Accessibility permissions not granted");
        return;
    }
    if (isRunning) {
        return;
    }
    if (std::optional<AccessibilityTrustState> failure = openEventOutput()) {
        publishPermission(*failure);
        return;
    }
    mapPenToSelectedMonitor();
    DDLogInfo("startService()", "Starting tablet event interceptor...");
    deviceManager_ = services_.makeDeviceManager(ownerBridge_);
    deviceManager_->start();
    isRunning.set(true);
}

void TabletViewModel::stopService() {
    if (!isRunning) {
        return;
    }
    DDLogInfo("stopService()", "Stopping tablet event interceptor...");
    if (deviceManager_) {
        deviceManager_->stop();
        deviceManager_.reset();
    }
    if (services_.eventOutput != nullptr) {
        services_.eventOutput->close();
    }
    isRunning.set(false);
    availableDevices.set({});
    selectedDevice.set(std::nullopt);
}

void TabletViewModel::deviceDiscovered(const DeviceInfo& device) {
    later([device](TabletViewModel& model) {
        DDLogInfo("deviceDiscovered(_:)", "Device discovered: " + device.displayName());
        const std::vector<DeviceInfo>& listed = model.availableDevices;
        if (std::find(listed.begin(), listed.end(), device) != listed.end()) {
            return;
        }
        std::vector<DeviceInfo> devices = listed;
        devices.push_back(device);
        model.availableDevices.set(std::move(devices));
        if (model.selectedDevice.get()) {
            return;
        }
        model.selectedDevice.set(device);
        DDLogInfo("deviceDiscovered(_:)", "Auto-selected device: " + device.productName);
        if (model.deviceManager_) {
            model.deviceManager_->activateSelectedDevice();
        }
    });
}

void TabletViewModel::deviceRemoved(const DeviceInfo& device) {
    later([device](TabletViewModel& model) {
        DDLogInfo("deviceRemoved(_:)", "Device removed: " + device.displayName());
        std::vector<DeviceInfo> devices = model.availableDevices;
        std::erase(devices, device);
        model.availableDevices.set(devices);
        const std::optional<DeviceInfo>& selected = model.selectedDevice;
        if (!selected || !(*selected == device)) {
            return;
        }
        model.selectedDevice.set(devices.empty() ? std::nullopt
                                                 : std::optional<DeviceInfo>(devices.front()));
        if (const std::optional<DeviceInfo>& next = model.selectedDevice.get()) {
            DDLogInfo("deviceRemoved(_:)", "Auto-selected new device: " + next->productName);
            if (model.deviceManager_) {
                model.deviceManager_->activateSelectedDevice();
            }
        } else {
            DDLogInfo("deviceRemoved(_:)", "No devices available");
        }
    });
}

void TabletViewModel::selectDevice(const DeviceInfo& device) {
    selectedDevice.set(device);
    DDLogInfo("selectDevice(_:)", "Device selection changed to: " + device.productName);
    if (deviceManager_) {
        deviceManager_->activateSelectedDevice();
    }
}

void TabletViewModel::selectMonitor(const MonitorInfo& monitor) {
    services_.monitorPreferences.setSelectedMonitorIndex(monitor.id);
    services_.monitorPreferences.setCachedScreenFrame(std::nullopt);
    selectedMonitor.set(monitor);
    DDLogInfo("selectMonitor(_:)",
              "Monitor selection changed to: " + services_.monitorDisplayText(monitor));
    mapPenToSelectedMonitor();
}

void TabletViewModel::mapPenToSelectedMonitor() {
    if (services_.eventOutput == nullptr) {
        return;
    }
    const int64_t index = selectedMonitor.get() ? selectedMonitor.get()->id
                                                : services_.monitorPreferences.selectedMonitor().id;
    penMayLandElsewhere.set(services_.eventOutput->mapPenToDisplay(index) ==
                            PenDisplayMapping::refused);
}

void TabletViewModel::updateAvailableMonitors() {
    MonitorPreferences& preferences = services_.monitorPreferences;
    preferences.setCachedScreenFrame(std::nullopt);
    availableMonitors.set(getAvailableMonitors(preferences.screenList()));
    selectedMonitor.set(preferences.selectedMonitor());
    mapPenToSelectedMonitor();
    DDLogDebug("updateAvailableMonitors()",
               "Available monitors updated: " + std::to_string(availableMonitors.get().size()) +
                   " monitors");
}

void TabletViewModel::setupAppActivationObserver() {
    appActivationObserver_ = services_.systemEvents.addObserver(
        SystemEvent::applicationDidBecomeActive, [weak = weak_from_this()] {
            DDLogDebug("setupAppActivationObserver()",
                       "App became active - checking accessibility permissions");
            if (const auto model = weak.lock()) {
                model->checkAccessibilityPermissions();
            }
        });
}

void TabletViewModel::setupScreenChangeObserver() {
    screenChangeObserver_ = services_.systemEvents.addObserver(
        SystemEvent::screenParametersChanged, [weak = weak_from_this()] {
            DDLogDebug("setupScreenChangeObserver()",
                       "Screen configuration changed - updating monitor list");
            if (const auto model = weak.lock()) {
                model->updateAvailableMonitors();
            }
        });
}

void TabletViewModel::setupSleepWakeObservers() {
    workspaceWillSleepObserver_ =
        services_.systemEvents.addObserver(SystemEvent::willSleep, [weak = weak_from_this()] {
            if (const auto model = weak.lock()) {
                DDLogInfo("setupSleepWakeObservers()",
                          "System will sleep - suspending tablet device handling");
                if (model->deviceManager_) {
                    model->deviceManager_->suspendForSleep();
                }
            }
        });
    workspaceDidWakeObserver_ =
        services_.systemEvents.addObserver(SystemEvent::didWake, [weak = weak_from_this()] {
            if (const auto model = weak.lock()) {
                DDLogInfo("setupSleepWakeObservers()",
                          "System did wake - resuming tablet device handling");
                if (model->deviceManager_) {
                    model->deviceManager_->resumeAfterWake();
                }
            }
        });
}

void TabletViewModel::setupDebugLogCollector() {
    DebugLogCollector& collector = services_.debugLogCollector;
    collector.setOnLogUpdated([weak = weak_from_this()](const std::vector<std::string>& lines) {
        if (const auto model = weak.lock()) {
            model->debugLogs.set(lines);
        }
    });
    collector.setOnEventsPerSecUpdated([weak = weak_from_this()](int64_t perSecond) {
        if (const auto model = weak.lock()) {
            model->eventsPerSecond.set(perSecond);
        }
    });
}

}  // namespace drawlume
