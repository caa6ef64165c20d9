#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "LogCapture.hpp"
#include "TestData.hpp"
#include "devices/HidManagerBase.hpp"
#include "devices/ReportDescriptorParser.hpp"
#include "platform/fake/FakeHidHost.hpp"
#include "platform/fake/ManualRunLoop.hpp"

namespace drawlume {
namespace {

class HidManagerBaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        manager_ = host_.createManager(kIOHIDOptionsTypeNone);
        manager_->setDeviceMatching(HidDeviceMatching{0x0D, 0x02});
        manager_->registerDeviceMatchingCallback(
            [this](IOReturn, HidManager*, const std::shared_ptr<HidDevice>& device) {
                events_.push_back("matched " + name(device.get()));
            });
        manager_->registerDeviceRemovalCallback(
            [this](IOReturn, HidManager*, const std::shared_ptr<HidDevice>& device) {
                events_.push_back("removed " + name(device.get()));
            });
    }

    std::string name(const HidDevice* device) const {
        return device == pen_.get() ? "pen" : "other";
    }

    ManualRunLoop loop_;
    FakeHidHost host_;
    std::shared_ptr<HidManager> manager_;
    std::shared_ptr<FakeHidDevice> pen_ =
        std::make_shared<FakeHidDevice>(FakeHidDevice::companionDescriptor());
    std::vector<std::string> events_;
};

TEST_F(HidManagerBaseTest, NoCallbackRunsAfterCloseNorForAnEarlierSession) {
    manager_->scheduleWithRunLoop(loop_);
    ASSERT_EQ(manager_->open(kIOHIDOptionsTypeNone), kIOReturnSuccess);
    host_.connect(pen_);
    ASSERT_EQ(manager_->close(kIOHIDOptionsTypeNone), kIOReturnSuccess);  // arrival still queued
    ASSERT_EQ(manager_->open(kIOHIDOptionsTypeNone), kIOReturnSuccess);
    loop_.runUntilIdle();
    // The queued arrival of the first session is dropped; the reopen reports it once.
    EXPECT_EQ(events_, (std::vector<std::string>{"matched pen"}));

    manager_->close(kIOHIDOptionsTypeNone);
    host_.disconnect(pen_);
    loop_.runUntilIdle();
    EXPECT_EQ(events_, (std::vector<std::string>{"matched pen"}));
}

// Pen screens and tablets present a pen collection too: with the companion
// check asked for, they are never reported (so never opened), and the log says
// why once.
TEST_F(HidManagerBaseTest, PenDigitizerThatIsNotTheCompanionIsLoggedOnceAndNotReported) {
    testing::LogCapture log;
    const auto laptopPen = ReportDescriptorParser::parse(
        testing::hexBytes(testing::readFile(testing::testDataPath("digitizers/laptop-pen.txt"))));
    ASSERT_TRUE(laptopPen.descriptor);
    auto digitizer = std::make_shared<FakeHidDevice>(*laptopPen.descriptor);
    digitizer->setProperty(kIOHIDProductKey, std::string("Laptop Pen"));
    digitizer->setProperty(kIOHIDVendorIDKey, int64_t{0x1A2B});
    digitizer->setProperty(kIOHIDProductIDKey, int64_t{0x3C4D});
    manager_->setDeviceMatching(HidDeviceMatching{0x0D, 0x02, true});
    manager_->scheduleWithRunLoop(loop_);
    host_.connect(digitizer);
    host_.connect(pen_);
    manager_->open(kIOHIDOptionsTypeSeizeDevice);
    loop_.runUntilIdle();
    host_.disconnect(digitizer);
    loop_.runUntilIdle();

    EXPECT_EQ(events_, (std::vector<std::string>{"matched pen"}));
    EXPECT_FALSE(digitizer->isOpen());
    EXPECT_EQ(log.lines(), std::vector<std::string>{
                               "Laptop Pen (VID: 0x1A2B, PID: 0x3C4D) is a pen digitizer but not "
                               "a companion: pen report 3 has no 1-bit in range at byte 1"});
}

}  // namespace
}  // namespace drawlume
