#include <memory>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/TabletViewModel.hpp"
#include "devices/TabletDeviceManagerFixture.hpp"
#include "displays/MonitorPreferences.hpp"
#include "platform/fake/FakeAccessibilityTrust.hpp"
#include "platform/fake/FakeEventOutput.hpp"
#include "services/SystemEvents.hpp"

namespace drawlume {
namespace {

using testing::companionDevice;
using ::testing::Contains;

// The model over a real device manager on a fake HID host, with two screens.
class TabletViewModelTest : public testing::TabletDeviceManagerFixture {
protected:
    ~TabletViewModelTest() override { model_.reset(); }

    void launch() {
        model_ = TabletViewModel::create(TabletViewModel::Services{
            services.runLoop, events_, trust_, preferences_, services.debugLogCollector,
            [](const MonitorInfo& monitor) { return "Monitor " + std::to_string(monitor.id + 1); },
            [this](std::weak_ptr<TabletDeviceOwner> viewModel) {
                return TabletDeviceManager::create(
                    std::move(viewModel),
                    TabletDeviceManager::Services{host, services.runLoop, alerts, localize},
                    services.environment());
            },
            eventOutput_});
        services.runLoop.runUntilIdle();
    }

    std::vector<std::string> products() const {
        std::vector<std::string> names;
        for (const DeviceInfo& device : model_->availableDevices.get()) {
            names.push_back(device.productName);
        }
        return names;
    }
    std::string selectedProduct() const {
        const std::optional<DeviceInfo>& selected = model_->selectedDevice;
        return selected ? selected->productName : "none";
    }

    SystemEventsHub events_;
    FakeAccessibilityTrust trust_;
    std::shared_ptr<InMemoryUserDefaults> defaults_ = std::make_shared<InMemoryUserDefaults>();
    std::shared_ptr<FixedScreenList> screens_ =
        std::make_shared<FixedScreenList>(std::vector<ScreenDescription>{
            {"Built-in", Rect{{0, 0}, {1920, 1080}}}, {"External", Rect{{1920, 0}, {2560, 1440}}}});
    MonitorPreferences preferences_{defaults_, screens_};
    EventOutput* eventOutput_ = nullptr;
    std::shared_ptr<TabletViewModel> model_;
};

// Permission is asked again whenever the application becomes active: the
// service, the event output and the devices follow the answer. (That an
// unusable output keeps the service stopped and is told once, the VM run pins.)
TEST_F(TabletViewModelTest, ServiceAndOutputRunOnlyWhilePostingIsPermitted) {
    FakeEventOutput output;
    eventOutput_ = &output;
    trust_.deny();
    launch();
    model_->startService();
    EXPECT_THAT(logCapture.newLines(), Contains("ERROR: Accessibility permissions not granted"));
    EXPECT_EQ(host.managersCreated(), 0);
    EXPECT_EQ(output.opens, 0);

    trust_.grant();
    events_.post(SystemEvent::applicationDidBecomeActive);
    events_.post(SystemEvent::applicationDidBecomeActive);
    model_->startService();
    ASSERT_TRUE(model_->isRunning);
    EXPECT_EQ(model_->permissionState.get().reason, AccessibilityTrustReason::granted);
    EXPECT_EQ(host.managersCreated(), 1);
    EXPECT_EQ(output.opens, 1);
    auto pad = connect(companionDevice("aa:aa", "Pad"));
    EXPECT_TRUE(pad->isOpen());

    trust_.deny(AccessibilityTrustReason::outputMissing);
    events_.post(SystemEvent::applicationDidBecomeActive);
    EXPECT_FALSE(model_->isRunning);
    EXPECT_FALSE(pad->isOpen());
    EXPECT_FALSE(output.isOpen);
    EXPECT_TRUE(model_->availableDevices.get().empty());
    EXPECT_EQ(model_->permissionState.get().reason, AccessibilityTrustReason::outputMissing);
}

// The output hears of the pen's display when the service starts, when the
// user chooses another and when the displays change; a refusal is published.
TEST_F(TabletViewModelTest, ThePensDisplayReachesTheOutputAndARefusalIsPublished) {
    FakeEventOutput output;
    eventOutput_ = &output;
    defaults_->set(MonitorPreferences::selectedMonitorKey, int64_t{1});
    launch();
    ASSERT_TRUE(model_->isRunning);
    EXPECT_EQ(output.penDisplays, (std::vector<int64_t>{1, 1}));
    EXPECT_FALSE(model_->penMayLandElsewhere);

    output.penMapping = PenDisplayMapping::refused;
    model_->selectMonitor(model_->availableMonitors.get().at(0));
    EXPECT_EQ(output.penDisplays.back(), 0);
    EXPECT_TRUE(model_->penMayLandElsewhere);

    output.penMapping = PenDisplayMapping::mapped;
    events_.post(SystemEvent::screenParametersChanged);
    services.runLoop.runUntilIdle();
    EXPECT_EQ(output.penDisplays, (std::vector<int64_t>{1, 1, 0, 0}));
    EXPECT_FALSE(model_->penMayLandElsewhere);
}

TEST_F(TabletViewModelTest, FirstDeviceIsSelectedAndARemovedSelectionPassesToTheEarliestOther) {
    launch();
    auto first = connect(companionDevice("aa:01", "First"));
    auto second = connect(companionDevice("aa:02", "Second"));
    auto third = connect(companionDevice("aa:03", "Third"));
    EXPECT_EQ(products(), (std::vector<std::string>{"First", "Second", "Third"}));
    EXPECT_EQ(selectedProduct(), "First");
    EXPECT_TRUE(first->isOpen());
    EXPECT_FALSE(second->isOpen());

    host.rematch(second);  // the same device reported again
    services.runLoop.runUntilIdle();
    EXPECT_EQ(products(), (std::vector<std::string>{"First", "Second", "Third"}));

    logCapture.newLines();
    disconnect(first);
    EXPECT_EQ(selectedProduct(), "Second");
    EXPECT_TRUE(second->isOpen());
    EXPECT_THAT(logCapture.newLines(), Contains("Auto-selected new device: Second"));

    disconnect(third);  // not selected: only the list changes
    EXPECT_EQ(products(), (std::vector<std::string>{"Second"}));
    EXPECT_EQ(selectedProduct(), "Second");

    disconnect(second);
    EXPECT_EQ(selectedProduct(), "none");
    EXPECT_THAT(logCapture.newLines(), Contains("No devices available"));
}

}  // namespace
}  // namespace drawlume
