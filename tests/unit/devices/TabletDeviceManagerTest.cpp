#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "TabletDeviceManagerFixture.hpp"
#include "devices/TabletDeviceManager.hpp"

namespace drawlume {
namespace {

using testing::companionDevice;
using testing::TabletDeviceManagerFixture;

class TabletDeviceManagerDiscoveryTest : public TabletDeviceManagerFixture {};

std::string hashText(const std::shared_ptr<FakeHidDevice>& device) {
    return std::to_string(deviceHash(device.get()));
}

TEST_F(TabletDeviceManagerDiscoveryTest, DevicesPresentAtOpenAreReportedOnceTheLoopRuns) {
    host.connect(companionDevice());
    createManager();
    EXPECT_TRUE(owner->discovered.empty());
    services.runLoop.runUntilIdle();
    ASSERT_EQ(owner->discovered.size(), 1u);
    const DeviceInfo& info = owner->discovered[0];
    EXPECT_EQ(info.id, "serial:Bluetooth:aa:bb:cc:dd:ee:ff");
    EXPECT_EQ(info.manufacturer, "Acme");
    EXPECT_EQ(logCapture.lines().back(), "Device discovered: Pad (VID: 0x1234, PID: 0x5678)");
    EXPECT_EQ(host.connectedDevices()[0]->openCount(), 0);  // nothing selected yet
}

TEST_F(TabletDeviceManagerDiscoveryTest, NewReferenceReplacesTheOldAndItsStaleRemovalIsIgnored) {
    createManager();
    auto first = companionDevice();
    connect(first);
    select(first);
    ASSERT_EQ(manager->activeDevice(), first);

    // The same physical device enumerated again before the old reference went.
    auto second = companionDevice();
    connect(second);
    EXPECT_THAT(logCapture.newLines(),
                ::testing::Contains("Replacing device instance for id: "
                                    "serial:Bluetooth:aa:bb:cc:dd:ee:ff (oldHash: " +
                                    hashText(first) + ", newHash: " + hashText(second) + ")"));
    EXPECT_EQ(owner->discovered.size(), 1u);  // not told again
    // It is the selected id: the new reference is activated, the old one closed.
    EXPECT_EQ(manager->activeDevice(), second);
    EXPECT_EQ(first->closeCount(), 1);

    disconnect(first);
    EXPECT_EQ(logCapture.newLines(),
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
    auto device = companionDevice();
    connect(device);
    select(device);
    ASSERT_TRUE(device->sendReport(penHover()));
    ASSERT_TRUE(manager->inputReportHandler().wasInRange());
    logCapture.newLines();

    disconnect(device);
    EXPECT_EQ(logCapture.newLines(),
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

class TabletDeviceManagerActivationTest : public TabletDeviceManagerFixture {
protected:
    void SetUp() override {
        createManager();
        connect(device);
        logCapture.newLines();
    }

    std::shared_ptr<FakeHidDevice> device = companionDevice();
};

TEST_F(TabletDeviceManagerActivationTest, SelectedDeviceIsSeizedAndItsReportsReachTranslation) {
    select(device);
    EXPECT_EQ(
        logCapture.newLines(),
        (std::vector<std::string>{"Activating device: Pad",
                                  "Device activated successfully (max report size: 12 bytes)"}));
    EXPECT_EQ(device->lastOpenOptions(), kIOHIDOptionsTypeSeizeDevice);
    EXPECT_EQ(device->registeredBufferSize(), 12);

    ASSERT_TRUE(device->sendReport(penHover()));
    ASSERT_EQ(services.eventSink.records.size(), 2u);  // proximity enter, then a move
    EXPECT_EQ(services.eventSink.records[0].type, kCGEventTabletProximity);
}

TEST_F(TabletDeviceManagerActivationTest,
       ReportsFromAnotherSenderOrWithoutAnActiveDeviceAreDropped) {
    select(device);
    auto other = companionDevice("11:22:33:44:55:66", "Other");
    connect(other);  // not selected: left alone, the active device stays
    EXPECT_EQ(manager->activeDevice(), device);
    EXPECT_EQ(other->openCount(), 0);
    logCapture.newLines();

    device->sendReportFrom(other.get(), penHover());
    EXPECT_TRUE(services.eventSink.records.empty());
    EXPECT_EQ(logCapture.newLines(),
              (std::vector<std::string>{"Input report callback triggered (reportID: 3, length: 12)",
                                        "Ignoring input from non-active device"}));

    manager->deactivateCurrentDevice();
    logCapture.newLines();
    device->sendReportFrom(device.get(), penHover());  // a delivery late after the close
    EXPECT_TRUE(services.eventSink.records.empty());
    EXPECT_EQ(logCapture.newLines().back(), "Ignoring input from non-active device");
}

// The output lets go of every key whenever the device closes, so the keyboard
// translation must hold nothing either: Shift+A held again after the device
// comes back is pressed again, not taken for a key that never went up.
TEST_F(TabletDeviceManagerActivationTest, KeysHeldAgainAfterEveryKindOfCloseArePressedAgain) {
    const std::vector<uint8_t> shiftA = {2, 0x02, 0, 0x04, 0, 0, 0, 0, 0};
    const std::vector<uint8_t> allUp = {2, 0, 0, 0, 0, 0, 0, 0, 0};
    const std::vector<std::pair<const char*, std::function<void()>>> closes = {
        {"removed and added again",
         [this] {
             disconnect(device);
             device = companionDevice();
             connect(device);  // still the selection: opened at once
         }},
        {"selected again", [this] { select(device); }},
        {"slept and woke",
         [this] {
             manager->suspendForSleep();
             manager->resumeAfterWake();
         }},
    };
    select(device);
    for (const auto& [close, reopen] : closes) {
        SCOPED_TRACE(close);
        services.eventSink.records.clear();
        ASSERT_TRUE(device->sendReport(shiftA));
        ASSERT_TRUE(device->sendReport(shiftA));  // still held: nothing new
        const int releases = releaser.releases;
        reopen();
        EXPECT_EQ(releaser.releases, releases + 1);
        ASSERT_TRUE(device->isOpen());
        ASSERT_TRUE(device->sendReport(shiftA));
        std::vector<std::pair<uint16_t, bool>> keys;
        for (const EventRecord& record : services.eventSink.records) {
            keys.emplace_back(record.keyCode, record.keyDown);
        }
        // Left Shift (56) and A (0) down, twice: before the close and after it.
        EXPECT_EQ(keys, (std::vector<std::pair<uint16_t, bool>>{
                            {56, true}, {0, true}, {56, true}, {0, true}}));
        ASSERT_TRUE(device->sendReport(allUp));
    }
}

TEST_F(TabletDeviceManagerActivationTest,
       OpenFailureIsLoggedAndAlertedAfterTheCurrentCallWhileTheManagerLives) {
    device->setOpenResult(kIOReturnExclusiveAccess);
    select(device);
    EXPECT_EQ(logCapture.newLines(),
              (std::vector<std::string>{"Activating device: Pad",
                                        "Failed to open device: -536870203 (0xE00002C5)",
                                        "Device open error: Device is already in use by another "
                                        "application"}));
    EXPECT_EQ(manager->activeDevice(), nullptr);
    EXPECT_TRUE(alerts.shown.empty());  // posted to the main queue, not run inside the call

    services.runLoop.runUntilIdle();
    ASSERT_EQ(alerts.shown.size(), 1u);
    const AlertContent& alert = alerts.shown[0];
    EXPECT_EQ(alert.messageText, "Device Access Error");
    EXPECT_EQ(alert.informativeText.rfind("Failed to access device 'Pad'.\n\nThe device is already "
                                          "being used by another application or instance.",
                                          0),
              0u);

    // An alert still queued when the manager goes is not shown.
    select(device);
    manager.reset();
    services.runLoop.runUntilIdle();
    EXPECT_EQ(alerts.shown.size(), 1u);
}

TEST_F(TabletDeviceManagerActivationTest, StopClosesTheActiveDeviceAndDroppingTheManagerToo) {
    select(device);
    logCapture.newLines();
    manager->stop();
    EXPECT_EQ(
        logCapture.newLines(),
        (std::vector<std::string>{"Deactivating current device (hash: " + hashText(device) + ")",
                                  "Pen state reset", "Device deactivated", "Service stopped"}));
    select(device);  // the device is no longer known
    EXPECT_FALSE(device->isOpen());

    // Dropped without stop(): the device is not left writing into a freed buffer.
    manager.reset();
    createManager();
    services.runLoop.runUntilIdle();
    select(device);
    ASSERT_TRUE(device->isOpen());
    manager.reset();
    EXPECT_FALSE(device->isOpen());
}

}  // namespace
}  // namespace drawlume
