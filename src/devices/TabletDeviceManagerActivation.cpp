#include <algorithm>
#include <utility>

#include "devices/DeviceOpenError.hpp"
#include "devices/HidPropertyReaders.hpp"
#include "devices/TabletDeviceManager.hpp"
#include "localization/AppLocalization.hpp"
#include "logging/LogMacros.hpp"

namespace drawlume {

// Activation, report routing, deactivation, sleep and stop of the device manager.

namespace {
constexpr const char* kLogFile = "Drawlume___Bluetooth_Agent/TabletDeviceManager";
}  // namespace

// Defined before its one caller, the report callback, so that it is
// compiled into it: a report's way has one call and return fewer.
inline void TabletDeviceManager::routeInputReport(HidDevice* sender, IOHIDReportType type,
                                                  uint32_t reportID, uint8_t* report,
                                                  int64_t reportLength) {
    if (activeDevice_ && activeDevice_.get() == sender) {
        inputReportHandler_->handleInputReport(deviceHash(sender), type, reportID, report,
                                               reportLength);
        return;
    }
    DDLogVerbose("activateDeviceIfSelected(_:)", "Ignoring input from non-active device");
}

void TabletDeviceManager::activateDeviceIfSelected(const std::string& deviceID) {
    const auto owner = viewModel_.lock();
    if (!owner) {
        return;
    }
    const std::optional<DeviceInfo> selected = owner->selectedDevice();
    if (!selected || selected->id != deviceID) {
        return;
    }
    const auto found = discoveredDevices_.find(deviceID);
    if (found == discoveredDevices_.end()) {
        return;
    }
    const std::shared_ptr<HidDevice> device = found->second;

    // Also when it is the active device: selecting it again reopens it.
    deactivateCurrentDevice();
    DDLogInfo("activateDeviceIfSelected(_:)", "Activating device: " + selected->productName);

    const IOReturn result = device->open(kIOHIDOptionsTypeSeizeDevice);
    if (result != kIOReturnSuccess) {
        DDLogError("activateDeviceIfSelected(_:)", strf("Failed to open device: %d (0x%08X)",
                                                        result, static_cast<uint32_t>(result)));
        handleDeviceOpenError(result, selected->productName);
        return;
    }

    activeDevice_ = device;
    int64_t size =
        integerProperty(*device, kIOHIDMaxInputReportSizeKey).value_or(kDefaultReportBufferSize);
    // A size of nothing or less cannot hold a report; an absurd one is no HID report.
    if (size <= 0) {
        size = kDefaultReportBufferSize;
    }
    size = std::min(size, kMaximumReportBufferSize);
    auto buffer = std::make_unique<uint8_t[]>(static_cast<size_t>(size));
    const std::weak_ptr<TabletDeviceManager> weak = weak_from_this();
    device->registerInputReportCallback(
        buffer.get(), size,
        [weak](IOReturn, HidDevice* sender, IOHIDReportType type, uint32_t reportID,
               uint8_t* report, int64_t reportLength) {
            DDLogVerbose("activateDeviceIfSelected(_:)",
                         strf("Input report callback triggered (reportID: %u, length: %lld)",
                              reportID, static_cast<long long>(reportLength)));
            if (const auto self = weak.lock()) {
                self->routeInputReport(sender, type, reportID, report, reportLength);
            }
        });
    activeDeviceBuffer_ = std::move(buffer);
    activeDeviceBufferSize_ = size;
    DDLogInfo("activateDeviceIfSelected(_:)",
              strf("Device activated successfully (max report size: %lld bytes)",
                   static_cast<long long>(size)));
}

void TabletDeviceManager::deactivateCurrentDevice() {
    if (!activeDevice_) {
        return;
    }
    const int64_t hash = deviceHash(activeDevice_.get());
    DDLogInfo("deactivateCurrentDevice()",
              strf("Deactivating current device (hash: %lld)", static_cast<long long>(hash)));
    activeDevice_->close(kIOHIDOptionsTypeNone);
    // Only now: the device could write into the buffer until it was closed.
    activeDeviceBuffer_.reset();
    activeDeviceBufferSize_ = 0;
    activeDevice_.reset();
    resetStateOfClosedDevice(hash);
    DDLogInfo("deactivateCurrentDevice()", "Device deactivated");
}

void TabletDeviceManager::resetStateOfClosedDevice(int64_t hash) {
    inputReportHandler_->resetPenState();
    inputReportHandler_->resetMouseState(hash);
    if (heldInputReleaser_ != nullptr) {
        heldInputReleaser_->releaseAllHeldInput();
        // The keys are up on the desktop now; a key still down on the
        // companion must be pressed again by its next report.
        inputReportHandler_->resetKeyboardState();
    }
}

void TabletDeviceManager::activateSelectedDevice() {
    if (isSuspendedForSleep_) {
        DDLogInfo("activateSelectedDevice()",
                  "Skipping selected device activation while suspended for sleep");
        return;
    }
    if (const auto owner = viewModel_.lock()) {
        if (const auto selected = owner->selectedDevice()) {
            activateDeviceIfSelected(selected->id);
            return;
        }
    }
    DDLogWarn("activateSelectedDevice()", "No device selected");
}

void TabletDeviceManager::suspendForSleep() {
    if (isSuspendedForSleep_) {
        DDLogInfo("suspendForSleep()", "Device manager is already suspended for sleep");
        return;
    }
    isSuspendedForSleep_ = true;
    DDLogInfo("suspendForSleep()", "Suspending active device handling for system sleep");
    deactivateCurrentDevice();
}

void TabletDeviceManager::resumeAfterWake() {
    if (!isSuspendedForSleep_) {
        DDLogInfo("resumeAfterWake()",
                  "Ignoring wake resume request because device manager is not suspended");
        return;
    }
    isSuspendedForSleep_ = false;
    DDLogInfo("resumeAfterWake()", "Resuming device handling after system wake");
    activateSelectedDevice();
}

void TabletDeviceManager::stop() {
    deactivateCurrentDevice();
    discoveredDevices_.clear();
    deviceIDsByHash_.clear();
    if (manager_) {
        // The reference stays until the device manager goes.
        manager_->close(kIOHIDOptionsTypeNone);
    }
    isSuspendedForSleep_ = false;
    DDLogInfo("stop()", "Service stopped");
}

void TabletDeviceManager::handleDeviceOpenError(IOReturn result, const std::string& productName) {
    const DeviceOpenError error = DeviceOpenError::forResult(result, productName);
    DDLogError("handleDeviceOpenError(_:productName:)", "Device open error: " + error.shortMessage);
    // After the current callback or call has returned, and only if the
    // manager still exists then.
    mainRunLoop_.post([weak = weak_from_this(), detail = error.detailText] {
        if (const auto self = weak.lock()) {
            self->showDeviceErrorAlert(detail);
        }
    });
}

void TabletDeviceManager::showDeviceErrorAlert(const std::string& message) {
    AlertContent alert;
    alert.messageText = localized("alert.device_error.title", "Device Access Error");
    alert.informativeText = message;
    alert.style = AlertStyle::warning;
    alert.buttonTitles = {localized("alert.device_error.ok", "OK")};
    alerts_.runModal(alert);
}

std::string TabletDeviceManager::localized(std::string_view key, std::string_view fallback) const {
    return localize_ ? localize_(key, fallback)
                     : AppLocalization::shared().localized(key, fallback);
}

}  // namespace drawlume
