#include "devices/TabletDeviceManager.hpp"

#include <utility>

#include "devices/HidPropertyReaders.hpp"
#include "events/EventGenerator.hpp"
#include "logging/LogMacros.hpp"

namespace drawlume {

namespace {

constexpr const char* kLogFile = "Drawlume___Bluetooth_Agent/TabletDeviceManager";

// HID usage page Digitizers, usage Pen.
constexpr HidDeviceMatching kPenDigitizerMatching{0x0D, 0x02, true};

}  // namespace

std::shared_ptr<TabletDeviceManager> TabletDeviceManager::create(
    std::weak_ptr<TabletDeviceOwner> owner, Services services,
    const TranslationEnvironment& environment) {
    auto manager = std::make_shared<TabletDeviceManager>(PassKey{}, std::move(owner),
                                                         std::move(services), environment);
    // Here rather than in the constructor: the HID callbacks hold the manager
    // weakly, which needs the shared owner to exist.
    manager->setupHIDManager();
    return manager;
}

TabletDeviceManager::TabletDeviceManager(PassKey, std::weak_ptr<TabletDeviceOwner> owner,
                                         Services services,
                                         const TranslationEnvironment& environment)
    : hidHost_(services.hidHost),
      mainRunLoop_(services.mainRunLoop),
      alerts_(services.alerts),
      localize_(std::move(services.localize)),
      heldInputReleaser_(services.heldInputReleaser),
      eventGenerator_(std::make_shared<EventGenerator>(kCGHIDEventTap, environment)),
      inputReportHandler_(std::make_unique<InputReportHandler>(eventGenerator_, environment)),
      viewModel_(std::move(owner)) {}

TabletDeviceManager::~TabletDeviceManager() {
    // Dropped without stop(): a device left open would write into the buffer
    // that goes with this object.
    if (activeDevice_) {
        activeDevice_->close(kIOHIDOptionsTypeNone);
    }
}

void TabletDeviceManager::start() {
    DDLogInfo("start()", "Waiting for digitizer/pen device connection...");
}

void TabletDeviceManager::setupHIDManager() {
    DDLogInfo("setupHIDManager()", "Setting up HID Manager...");
    manager_ = hidHost_.createManager(kIOHIDOptionsTypeNone);
    if (!manager_) {
        DDLogError("setupHIDManager()", "Failed to create HID Manager");
        return;
    }
    manager_->setDeviceMatching(kPenDigitizerMatching);
    DDLogInfo("setupHIDManager()", "Device matching criteria applied");

    const std::weak_ptr<TabletDeviceManager> weak = weak_from_this();
    manager_->registerDeviceMatchingCallback(
        [weak](IOReturn, HidManager*, const std::shared_ptr<HidDevice>& device) {
            DDLogInfo("setupHIDManager()", "Device matching callback triggered");
            if (const auto self = weak.lock()) {
                self->deviceConnected(device);
            }
        });
    DDLogInfo("setupHIDManager()", "Device matching callback registered");
    manager_->registerDeviceRemovalCallback(
        [weak](IOReturn, HidManager*, const std::shared_ptr<HidDevice>& device) {
            DDLogInfo("setupHIDManager()", "Device removal callback triggered");
            if (const auto self = weak.lock()) {
                self->deviceRemoved(device);
            }
        });
    DDLogInfo("setupHIDManager()", "Device removal callback registered");

    manager_->scheduleWithRunLoop(mainRunLoop_);
    DDLogInfo("setupHIDManager()", "HID Manager scheduled with run loop");

    const IOReturn result = manager_->open(kIOHIDOptionsTypeSeizeDevice);
    if (result != kIOReturnSuccess) {
        DDLogError("setupHIDManager()",
                   strf("Failed to open HID Manager with error code: %d", result));
        return;
    }
    DDLogInfo("setupHIDManager()", "HID Manager initialization complete");
}

DeviceInfo TabletDeviceManager::makeDeviceInfo(const HidDevice& device) const {
    DeviceInfo info;
    info.manufacturer = textProperty(device, kIOHIDManufacturerKey).value_or("Unknown");
    info.productName = textProperty(device, kIOHIDProductKey).value_or("Unknown");
    info.vendorID = integerProperty(device, kIOHIDVendorIDKey).value_or(0);
    info.productID = integerProperty(device, kIOHIDProductIDKey).value_or(0);
    const std::string transport = textProperty(device, kIOHIDTransportKey).value_or("Unknown");
    const auto serial = textProperty(device, kIOHIDSerialNumberKey);
    if (serial && !serial->empty()) {
        info.id = "serial:" + transport + ":" + *serial;
    } else {
        info.id = "fp:" + transport + ":" + info.manufacturer + ":" + info.productName + ":" +
                  std::to_string(info.vendorID) + ":" + std::to_string(info.productID);
    }
    return info;
}

void TabletDeviceManager::deviceConnected(const std::shared_ptr<HidDevice>& device) {
    const int64_t hash = deviceHash(device.get());
    const DeviceInfo info = makeDeviceInfo(*device);
    deviceIDsByHash_[hash] = info.id;
    DDLogInfo("deviceConnected(_:)", "Device discovered: " + info.displayName());

    const auto known = discoveredDevices_.find(info.id);
    if (known != discoveredDevices_.end()) {
        if (known->second == device) {
            DDLogWarn("deviceConnected(_:)", "Device already discovered, skipping");
            return;
        }
        DDLogInfo("deviceConnected(_:)",
                  strf("Replacing device instance for id: %s (oldHash: %lld, newHash: %lld)",
                       info.id.c_str(), static_cast<long long>(deviceHash(known->second.get())),
                       static_cast<long long>(hash)));
        // The owner already lists this id: it is not told again.
        known->second = device;
    } else {
        discoveredDevices_.emplace(info.id, device);
        if (const auto owner = viewModel_.lock()) {
            owner->deviceDiscovered(info);
        }
    }

    if (!isSuspendedForSleep_) {
        activateDeviceIfSelected(info.id);
    } else {
        DDLogInfo("deviceConnected(_:)", "Skipping device activation while suspended for sleep");
    }
}

void TabletDeviceManager::deviceRemoved(const std::shared_ptr<HidDevice>& device) {
    const int64_t hash = deviceHash(device.get());
    DDLogInfo("setupHIDManager()",
              strf("Device disconnected (hash: %lld)", static_cast<long long>(hash)));
    // The properties may be gone already: the fallbacks then stand in.
    const DeviceInfo info = makeDeviceInfo(*device);
    std::string removedID = info.id;
    if (const auto stored = deviceIDsByHash_.find(hash); stored != deviceIDsByHash_.end()) {
        removedID = std::move(stored->second);
        deviceIDsByHash_.erase(stored);
    }

    const auto listed = discoveredDevices_.find(removedID);
    if (listed != discoveredDevices_.end() && listed->second != device) {
        // The id belongs to a newer reference now, which stays.
        DDLogInfo("setupHIDManager()",
                  "Ignoring stale removal callback for replaced device id: " + removedID);
        return;
    }

    if (activeDevice_ && activeDevice_ == device) {
        DDLogInfo("setupHIDManager()", "Closing active device");
        device->close(kIOHIDOptionsTypeNone);
        activeDeviceBuffer_.reset();
        activeDeviceBufferSize_ = 0;
        activeDevice_.reset();
        resetStateOfClosedDevice(hash);
        DDLogInfo("setupHIDManager()", "Reset pen and mouse state for active device");
    }

    if (listed != discoveredDevices_.end()) {
        discoveredDevices_.erase(listed);
    }
    if (const auto owner = viewModel_.lock()) {
        DeviceInfo removed = info;
        removed.id = removedID;
        owner->deviceRemoved(removed);
    }
}

}  // namespace drawlume
