#pragma once

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "LogCapture.hpp"
#include "devices/TabletDeviceManager.hpp"
#include "platform/fake/CompanionReports.hpp"
#include "platform/fake/FakeHidHost.hpp"
#include "platform/fake/FakeTranslationServices.hpp"
#include "platform/fake/RecordingAlerts.hpp"

namespace drawlume::testing {

// Stands for the view model: records what it is told, at once, and answers
// with the selection the test sets.
class RecordingOwner final : public TabletDeviceOwner {
public:
    void deviceDiscovered(const DeviceInfo& device) override { discovered.push_back(device); }
    void deviceRemoved(const DeviceInfo& device) override { removed.push_back(device); }
    std::optional<DeviceInfo> selectedDevice() const override { return selected; }

    std::vector<DeviceInfo> discovered;
    std::vector<DeviceInfo> removed;
    std::optional<DeviceInfo> selected;
};

// Counts the calls that ask the event output to let go of everything.
class CountingReleaser final : public HeldInputReleaser {
public:
    void releaseAllHeldInput() override { ++releases; }
    int releases = 0;
};

// The companion as a Bluetooth device with a serial number (its address).
inline std::shared_ptr<FakeHidDevice> companionDevice(
    const std::string& serial = "aa:bb:cc:dd:ee:ff", const std::string& product = "Pad") {
    auto device = std::make_shared<FakeHidDevice>(FakeHidDevice::companionDescriptor());
    device->setProperty(kIOHIDManufacturerKey, std::string("Acme"));
    device->setProperty(kIOHIDProductKey, product);
    device->setProperty(kIOHIDVendorIDKey, int64_t{0x1234});
    device->setProperty(kIOHIDProductIDKey, int64_t{0x5678});
    device->setProperty(kIOHIDTransportKey, std::string("Bluetooth"));
    device->setProperty(kIOHIDSerialNumberKey, serial);
    device->setProperty(kIOHIDMaxInputReportSizeKey, int64_t{12});
    return device;
}

// A device manager on a fake HID host, with a recording owner, alerts and
// event sink, every log line recorded.
class TabletDeviceManagerFixture : public ::testing::Test {
protected:
    ~TabletDeviceManagerFixture() override { manager.reset(); }

    void createManager() {
        manager = TabletDeviceManager::create(
            owner,
            TabletDeviceManager::Services{host, services.runLoop, alerts, localize, &releaser},
            services.environment());
    }

    // Connects the device and lets the manager hear of it.
    std::shared_ptr<FakeHidDevice> connect(const std::shared_ptr<FakeHidDevice>& device) {
        host.connect(device);
        services.runLoop.runUntilIdle();
        return device;
    }
    void disconnect(const std::shared_ptr<FakeHidDevice>& device) {
        host.disconnect(device);
        services.runLoop.runUntilIdle();
    }
    // Selects the device in the owner and asks for activation, as the view model does.
    void select(const std::shared_ptr<FakeHidDevice>& device) {
        owner->selected = infoOf(device);
        manager->activateSelectedDevice();
    }
    // The record the owner was given for the device.
    DeviceInfo infoOf(const std::shared_ptr<FakeHidDevice>& device) const {
        const std::string id =
            "serial:Bluetooth:" + std::get<std::string>(device->getProperty(kIOHIDSerialNumberKey));
        const auto info = std::find_if(owner->discovered.begin(), owner->discovered.end(),
                                       [&](const DeviceInfo& known) { return known.id == id; });
        EXPECT_NE(info, owner->discovered.end()) << "the owner was not told of " << id;
        return info == owner->discovered.end() ? DeviceInfo{} : *info;
    }

    // A pen report in range: proximity enter and a move reach the sink.
    static std::vector<uint8_t> penHover() {
        return digitizerReport(companion::kPenInRangeBit, 0x4000, 0x4000);
    }

    LogCapture logCapture;
    FakeTranslationServices services;
    FakeHidHost host;
    RecordingAlerts alerts;
    CountingReleaser releaser;
    // The texts as they stand in the code, whatever the machine's language.
    TabletDeviceManager::Localize localize = [](std::string_view, std::string_view fallback) {
        return std::string(fallback);
    };
    std::shared_ptr<RecordingOwner> owner = std::make_shared<RecordingOwner>();
    std::shared_ptr<TabletDeviceManager> manager;
};

}  // namespace drawlume::testing
