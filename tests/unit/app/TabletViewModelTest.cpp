#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "LogCapture.hpp"
#include "app/TabletViewModel.hpp"
#include "devices/TabletDeviceManager.hpp"
#include "devices/TabletDeviceManagerFixture.hpp"
#include "displays/MonitorPreferences.hpp"
#include "platform/fake/FakeAccessibilityTrust.hpp"
#include "platform/fake/FakeEventOutput.hpp"
#include "platform/fake/FakeHidHost.hpp"
#include "platform/fake/FakeTranslationServices.hpp"
#include "platform/fake/RecordingAlerts.hpp"
#include "services/SystemEvents.hpp"

namespace drawlume {
namespace {

// The model over a real device manager on a fake HID host, with two screens.
class TabletViewModelTest : public ::testing::Test {
protected:
    ~TabletViewModelTest() override { model_.reset(); }

    void launch() {
        model_ = TabletViewModel::create(TabletViewModel::Services{
            services_.runLoop, events_, trust_, preferences_, services_.debugLogCollector,
            [](const MonitorInfo& monitor) { return "Monitor " + std::to_string(monitor.id + 1); },
            [this](std::weak_ptr<TabletDeviceOwner> owner) {
                return TabletDeviceManager::create(
                    std::move(owner),
                    TabletDeviceManager::Services{host_, services_.runLoop, alerts_,
                                                  [](std::string_view, std::string_view fallback) {
                                                      return std::string(fallback);
                                                  }},
                    services_.environment());
            },
            eventOutput_});
        services_.runLoop.runUntilIdle();
    }

    std::shared_ptr<FakeHidDevice> companion(const std::string& serial,
                                             const std::string& product) {
        auto device = testing::companionDevice(serial, product);
        host_.connect(device);
        services_.runLoop.runUntilIdle();
        return device;
    }
    void remove(const std::shared_ptr<FakeHidDevice>& device) {
        host_.disconnect(device);
        services_.runLoop.runUntilIdle();
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
    // The log lines since the last call.
    std::vector<std::string> newLines() { return logCapture_.newLines(); }
    bool logged(const std::vector<std::string>& lines, const std::string& text) {
        return std::find(lines.begin(), lines.end(), text) != lines.end();
    }

    testing::LogCapture logCapture_;
    FakeTranslationServices services_;
    SystemEventsHub events_;
    FakeAccessibilityTrust trust_;
    std::shared_ptr<InMemoryUserDefaults> defaults_ = std::make_shared<InMemoryUserDefaults>();
    std::shared_ptr<FixedScreenList> screens_ =
        std::make_shared<FixedScreenList>(std::vector<ScreenDescription>{
            {"Built-in", Rect{{0, 0}, {1920, 1080}}}, {"External", Rect{{1920, 0}, {2560, 1440}}}});
    MonitorPreferences preferences_{defaults_, screens_};
    FakeHidHost host_;
    RecordingAlerts alerts_;
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
    EXPECT_TRUE(logged(newLines(), "ERROR: Accessibility permissions not granted"));
    EXPECT_EQ(host_.managersCreated(), 0);
    EXPECT_EQ(output.opens, 0);

    trust_.grant();
    events_.post(SystemEvent::applicationDidBecomeActive);
    events_.post(SystemEvent::applicationDidBecomeActive);
    model_->startService();
    ASSERT_TRUE(model_->isRunning);
    EXPECT_EQ(model_->permissionState.get().reason, AccessibilityTrustReason::granted);
    EXPECT_EQ(host_.managersCreated(), 1);
    EXPECT_EQ(output.opens, 1);
    auto pad = companion("aa:aa", "Pad");
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
    services_.runLoop.runUntilIdle();
    EXPECT_EQ(output.penDisplays, (std::vector<int64_t>{1, 1, 0, 0}));
    EXPECT_FALSE(model_->penMayLandElsewhere);
}

TEST_F(TabletViewModelTest, FirstDeviceIsSelectedAndARemovedSelectionPassesToTheEarliestOther) {
    launch();
    auto first = companion("aa:01", "First");
    auto second = companion("aa:02", "Second");
    auto third = companion("aa:03", "Third");
    EXPECT_EQ(products(), (std::vector<std::string>{"First", "Second", "Third"}));
    EXPECT_EQ(selectedProduct(), "First");
    EXPECT_TRUE(first->isOpen());
    EXPECT_FALSE(second->isOpen());

    host_.rematch(second);  // the same device reported again
    services_.runLoop.runUntilIdle();
    EXPECT_EQ(products(), (std::vector<std::string>{"First", "Second", "Third"}));

    newLines();
    remove(first);
    EXPECT_EQ(selectedProduct(), "Second");
    EXPECT_TRUE(second->isOpen());
    EXPECT_TRUE(logged(newLines(), "Auto-selected new device: Second"));

    remove(third);  // not selected: only the list changes
    EXPECT_EQ(products(), (std::vector<std::string>{"Second"}));
    EXPECT_EQ(selectedProduct(), "Second");

    remove(second);
    EXPECT_EQ(selectedProduct(), "none");
    EXPECT_TRUE(logged(newLines(), "No devices available"));
}

}  // namespace
}  // namespace drawlume
