#include <array>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/fake/ManualRunLoop.hpp"
#include "platform/replay/HidRecordingParser.hpp"
#include "platform/replay/ReplayHidHost.hpp"

namespace drawlume {
namespace {

HidRecording recording(const std::string& name, const std::string& events) {
    const std::string text =
        "R: 15 05 0d 09 02 a1 01 85 03 75 08 95 02 81 02 c0\nN: " + name + "\nI: 5 1 2\n" + events;
    auto result = HidRecordingParser::parse(text, name + ".hid");
    EXPECT_TRUE(result.recording) << result.message();
    return *result.recording;
}

// Drives a replay host the way the device manager does: match, open,
// register a buffer, and log what arrives.
class ReplayHidHostTest : public ::testing::Test {
protected:
    void start(ReplayHidHost& host) {
        host.setOnFinished([this] { log_.push_back("finished"); });
        manager_ = host.createManager(kIOHIDOptionsTypeNone);
        manager_->setDeviceMatching(HidDeviceMatching{0x0D, 0x02});
        manager_->registerDeviceMatchingCallback(
            [this](IOReturn, HidManager*, const std::shared_ptr<HidDevice>& device) {
                devices_.push_back(device);
                log_.push_back("matched " + productName(*device));
            });
        manager_->registerDeviceRemovalCallback(
            [this](IOReturn, HidManager*, const std::shared_ptr<HidDevice>& device) {
                log_.push_back("removed " + productName(*device));
            });
        manager_->scheduleWithRunLoop(loop_);
        ASSERT_EQ(manager_->open(kIOHIDOptionsTypeSeizeDevice), kIOReturnSuccess);
        loop_.runUntilIdle();
    }

    void openAndListen(HidDevice& device, const Clocks& clocks) {
        ASSERT_EQ(device.open(kIOHIDOptionsTypeSeizeDevice), kIOReturnSuccess);
        device.registerInputReportCallback(
            buffer_.data(), buffer_.size(),
            [this, &clocks](IOReturn, HidDevice*, IOHIDReportType, uint32_t reportID,
                            uint8_t* report, int64_t length) {
                log_.push_back("report " + std::to_string(reportID) + " " +
                               std::to_string(report[1]) + " len " + std::to_string(length) +
                               " at " + std::to_string(clocks.uptimeSeconds()));
            });
    }

    static std::string productName(const HidDevice& device) {
        const auto value = device.getProperty(kIOHIDProductKey);
        return std::holds_alternative<std::string>(value) ? std::get<std::string>(value) : "?";
    }

    ManualRunLoop loop_;
    std::shared_ptr<HidManager> manager_;
    std::vector<std::shared_ptr<HidDevice>> devices_;
    std::array<uint8_t, 3> buffer_{};
    std::vector<std::string> log_;
};

TEST_F(ReplayHidHostTest, RecordedTimesAreKeptOnTheRunLoop) {
    ReplayHidHost host({recording("pad", "E: 0.100000 3 03 01 00\nE: 0.300000 3 03 02 00\n")},
                       ReplayPacing::recordedTimes);
    start(host);
    openAndListen(*devices_[0], host.clocks());
    loop_.advance(0.099);
    EXPECT_EQ(log_.size(), 1u);
    loop_.advance(0.001);
    EXPECT_EQ(log_.size(), 2u);
    loop_.advance(0.199);
    EXPECT_EQ(log_.size(), 2u);
    loop_.advance(0.001);
    EXPECT_EQ(log_.back(), "finished");
}

}  // namespace
}  // namespace drawlume
