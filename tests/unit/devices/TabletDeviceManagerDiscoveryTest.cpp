#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TabletDeviceManagerFixture.hpp"
#include "devices/TabletDeviceManager.hpp"

namespace drawlume {
namespace {

using testing::TabletDeviceManagerFixture;

class TabletDeviceManagerDiscoveryTest : public TabletDeviceManagerFixture {};

std::string hashText(const std::shared_ptr<FakeHidDevice>& device) {
    return std::to_string(deviceHash(device.get()));
}

TEST_F(TabletDeviceManagerDiscoveryTest, DevicesPresentAtOpenAreReportedOnceTheLoopRuns) {
    host.connect(companion());
    createManager();
    EXPECT_TRUE(owner->discovered.empty());
    services.runLoop.runUntilIdle();
    ASSERT_EQ(owner->discovered.size(), 1u);
    const DeviceInfo& info = owner->discovered[0];
    EXPECT_EQ(info.id, "serial:Bluetooth:aa:bb:cc:dd:ee:ff");
    EXPECT_EQ(info.manufacturer, "Acme");
    EXPECT_EQ(logTexts().back(), "Device discovered: Pad (VID: 0x1234, PID: 0x5678)");
    EXPECT_EQ(host.connectedDevices()[0]->openCount(), 0);  // nothing selected yet
}

TEST_F(TabletDeviceManagerDiscoveryTest, NewReferenceReplacesTheOldAndItsStaleRemovalIsIgnored) {
    createManager();
    auto first = companion();
    connect(first);
    select(first);
    ASSERT_EQ(manager->activeDevice(), first);

    // The same physical device enumerated again before the old reference went.
    auto second = companion();
    connect(second);
    const auto lines = newLogTexts();
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "Replacing device instance for id: serial:Bluetooth:aa:bb:cc:dd:ee:ff "
                        "(oldHash: " +
                            hashText(first) + ", newHash: " + hashText(second) + ")"),
              lines.end());
    EXPECT_EQ(owner->discovered.size(), 1u);  // not told again
    // It is the selected id: the new reference is activated, the old one closed.
    EXPECT_EQ(manager->activeDevice(), second);
    EXPECT_EQ(first->closeCount(), 1);

    disconnect(first);
    EXPECT_EQ(newLogTexts(),
              (std::vector<std::string>{"Device removal callback triggered",
                                        "Device disconnected (hash: " + hashText(first) + ")",
                                        "Ignoring stale removal callback for replaced device id: "
                                        "serial:Bluetooth:aa:bb:cc:dd:ee:ff"}));
    EXPECT_EQ(manager->activeDevice(), second);
    EXPECT_TRUE(manager->hasDiscovered("serial:Bluetooth:aa:bb:cc:dd:ee:ff"));
    EXPECT_TRUE(owner->removed.empty());
}

TEST_F(TabletDeviceManagerDiscoveryTest, RemovalOfTheActiveDeviceClosesItAndResetsItsState) {
    createManager();
    auto device = companion();
    connect(device);
    select(device);
    ASSERT_TRUE(device->sendReport(penHover()));
    ASSERT_TRUE(manager->inputReportHandler().wasInRange());
    newLogTexts();

    disconnect(device);
    EXPECT_EQ(newLogTexts(),
              (std::vector<std::string>{"Device removal callback triggered",
                                        "Device disconnected (hash: " + hashText(device) + ")",
                                        "Closing active device", "Pen state reset",
                                        "Reset pen and mouse state for active device"}));
    EXPECT_EQ(manager->activeDevice(), nullptr);
    EXPECT_EQ(manager->activeDeviceBufferSize(), 0);
    EXPECT_FALSE(manager->inputReportHandler().wasInRange());
    EXPECT_FALSE(manager->hasDiscovered("serial:Bluetooth:aa:bb:cc:dd:ee:ff"));
    ASSERT_EQ(owner->removed.size(), 1u);
    EXPECT_EQ(owner->removed[0].id, "serial:Bluetooth:aa:bb:cc:dd:ee:ff");
}

}  // namespace
}  // namespace drawlume
