#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "devices/DeviceInfo.hpp"
#include "devices/HidHost.hpp"
#include "devices/TabletDeviceOwner.hpp"
#include "events/EventGeneratorProtocol.hpp"
#include "events/HeldInputReleaser.hpp"
#include "events/TranslationEnvironment.hpp"
#include "input/InputReportHandler.hpp"
#include "services/Alerts.hpp"
#include "services/RunLoop.hpp"

namespace drawlume {

// The only part of the agent that talks to the HID layer. It asks for every
// device with a pen digitizer collection, keeps track of the devices that come
// and go and tells its owner of each, and keeps at most one of them active:
// the owner's selected device, opened exclusively, its reports routed to input
// translation. Across system sleep no device is active. Everything runs on the
// thread of the main run loop, which the HID manager is scheduled on.
class TabletDeviceManager : public std::enable_shared_from_this<TabletDeviceManager> {
    struct PassKey {
        explicit PassKey() = default;
    };

public:
    // A visible text by key; the fallback where there is no translation.
    using Localize = std::function<std::string(std::string_view key, std::string_view fallback)>;

    // The services the manager works with; each must outlive it.
    struct Services {
        HidHost& hidHost;
        // The main queue: HID callbacks run on it and the open-error alert is posted to it.
        RunLoop& mainRunLoop;
        Alerts& alerts;
        // Empty: the application's language (AppLocalization::shared()).
        Localize localize;
        // Told whenever the active device closes, so that nothing stays pressed
        // on the desktop while no report can come to release it. None: nobody is.
        HeldInputReleaser* heldInputReleaser = nullptr;
    };

    // Constructs the manager with its event generator and input report
    // handler, then sets up, schedules and opens the HID manager. Held by a
    // std::shared_ptr so that callbacks can hold it weakly.
    static std::shared_ptr<TabletDeviceManager> create(std::weak_ptr<TabletDeviceOwner> owner,
                                                       Services services,
                                                       const TranslationEnvironment& environment);
    TabletDeviceManager(PassKey, std::weak_ptr<TabletDeviceOwner> owner, Services services,
                        const TranslationEnvironment& environment);
    ~TabletDeviceManager();
    TabletDeviceManager(const TabletDeviceManager&) = delete;
    TabletDeviceManager& operator=(const TabletDeviceManager&) = delete;

    void start();
    // Opens the device of this id if it is the owner's selected device,
    // closing the active one first (even when it is the same device).
    void activateDeviceIfSelected(const std::string& deviceID);
    void deactivateCurrentDevice();
    // Activates whatever device the owner has selected.
    void activateSelectedDevice();
    void suspendForSleep();
    void resumeAfterWake();
    // Deactivates, forgets every device and closes the HID manager.
    void stop();

    bool isSuspendedForSleep() const { return isSuspendedForSleep_; }
    const std::shared_ptr<HidDevice>& activeDevice() const { return activeDevice_; }
    int64_t activeDeviceBufferSize() const { return activeDeviceBufferSize_; }
    bool hasDiscovered(const std::string& deviceID) const {
        return discoveredDevices_.count(deviceID) != 0;
    }
    const InputReportHandler& inputReportHandler() const { return *inputReportHandler_; }

    // The buffer size when the device names none it can be given.
    static constexpr int64_t kDefaultReportBufferSize = 64;
    // The most a buffer is given: a HID report is at most 16 KiB.
    static constexpr int64_t kMaximumReportBufferSize = 65536;

private:
    void setupHIDManager();
    void deviceConnected(const std::shared_ptr<HidDevice>& device);
    void deviceRemoved(const std::shared_ptr<HidDevice>& device);
    void routeInputReport(HidDevice* sender, IOHIDReportType type, uint32_t reportID,
                          uint8_t* report, int64_t reportLength);
    DeviceInfo makeDeviceInfo(const HidDevice& device) const;
    void handleDeviceOpenError(IOReturn result, const std::string& productName);
    void showDeviceErrorAlert(const std::string& message);
    // The active device is closed: translation forgets the device's pen and
    // mouse state, and the desktop lets go of what it held, after which the
    // keyboard translation holds nothing either.
    void resetStateOfClosedDevice(int64_t hash);
    std::string localized(std::string_view key, std::string_view fallback) const;

    HidHost& hidHost_;
    RunLoop& mainRunLoop_;
    Alerts& alerts_;
    Localize localize_;
    HeldInputReleaser* heldInputReleaser_;

    std::shared_ptr<EventGeneratorProtocol> eventGenerator_;
    std::unique_ptr<InputReportHandler> inputReportHandler_;
    std::shared_ptr<HidManager> manager_;
    bool isSuspendedForSleep_ = false;
    // One reference per id that is present now.
    std::map<std::string, std::shared_ptr<HidDevice>> discoveredDevices_;
    // The id computed when each reference was found, so that a removal can
    // name the device when its properties can no longer be read.
    std::unordered_map<int64_t, std::string> deviceIDsByHash_;
    std::shared_ptr<HidDevice> activeDevice_;
    // Present exactly while a device is active; freed only after it is closed.
    std::unique_ptr<uint8_t[]> activeDeviceBuffer_;
    int64_t activeDeviceBufferSize_ = 0;
    std::weak_ptr<TabletDeviceOwner> viewModel_;
};

}  // namespace drawlume
