#include <memory>

#include <gtest/gtest.h>

#include "app/FirstDeviceOwner.hpp"
#include "devices/TabletDeviceManager.hpp"
#include "platform/fake/FakeHidHost.hpp"
#include "platform/fake/FakeTranslationServices.hpp"
#include "platform/fake/RecordingAlerts.hpp"

namespace drawlume {
namespace {

std::shared_ptr<FakeHidDevice> companion(const std::string& serial) {
    auto device = std::make_shared<FakeHidDevice>(FakeHidDevice::companionDescriptor());
    device->setProperty(kIOHIDProductKey, "Pad " + serial);
    device->setProperty(kIOHIDSerialNumberKey, serial);
    return device;
}

TEST(FirstDeviceOwnerTest, SelectsTheFirstDeviceAndTheFirstLeftWhenTheSelectedOneGoes) {
    FakeTranslationServices services;
    FakeHidHost host;
    RecordingAlerts alerts;
    auto owner = std::make_shared<FirstDeviceOwner>(services.runLoop);
    auto manager = TabletDeviceManager::create(owner, {host, services.runLoop, alerts, nullptr},
                                               services.environment());
    owner->setDeviceManager(manager);
    auto first = companion("1");
    auto second = companion("2");
    auto third = companion("3");
    host.connect(first);
    host.connect(second);
    host.connect(third);
    services.runLoop.runUntilIdle();
    ASSERT_EQ(owner->devices().size(), 3u);
    EXPECT_EQ(owner->selectedDevice()->productName, "Pad 1");
    EXPECT_EQ(manager->activeDevice(), first);

    // An unselected device goes: nothing else changes.
    host.disconnect(second);
    services.runLoop.runUntilIdle();
    EXPECT_EQ(manager->activeDevice(), first);

    host.disconnect(first);
    services.runLoop.runUntilIdle();
    EXPECT_EQ(owner->selectedDevice()->productName, "Pad 3");
    EXPECT_EQ(manager->activeDevice(), third);

    host.disconnect(third);
    services.runLoop.runUntilIdle();
    EXPECT_FALSE(owner->selectedDevice());
    EXPECT_TRUE(owner->devices().empty());
    EXPECT_EQ(manager->activeDevice(), nullptr);
}

}  // namespace
}  // namespace drawlume
