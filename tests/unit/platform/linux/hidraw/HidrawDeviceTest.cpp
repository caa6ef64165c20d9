#include <array>
#include <cerrno>
#include <filesystem>
#include <memory>
#include <vector>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "TempDirectory.hpp"
#include "platform/linux/hidraw/HidrawDevice.hpp"
#include "platform/linux/hidraw/IOReturnFromErrno.hpp"
#include "platform/linux/session/PollRunLoop.hpp"

namespace drawlume {
namespace {

namespace fs = std::filesystem;
using testing::TempDirectory;
using testing::writeFile;

// A FIFO stands in for the hidraw node: the device reads it without
// blocking, one report per read when each read asks for exactly one report.
class HidrawDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        node_.devnode = (directory_.path() / "hidraw0").string();
        node_.hidSyspath = (directory_.path() / "hid").string();
        node_.descriptor.usesReportIDs = true;
        node_.descriptor.maxInputReportSize = 12;
        node_.properties = {{"Product", std::string("Companion")}};
        fs::create_directories(node_.hidSyspath);
        ASSERT_EQ(::mkfifo(node_.devnode.c_str(), 0600), 0);
    }

    std::shared_ptr<HidrawDevice> makeDevice() {
        return std::make_shared<HidrawDevice>(node_, loop_, [this](HidrawDevice& device) {
            ++vanished_;
            EXPECT_FALSE(device.isOpen());
            loop_.stop();
        });
    }

    TempDirectory directory_;
    HidrawNode node_;
    PollRunLoop loop_;
    int vanished_ = 0;
};

TEST_F(HidrawDeviceTest, ReportsReachTheCallerBufferWithTheirIDOnTheRunLoop) {
    const auto device = makeDevice();
    ASSERT_EQ(device->open(kIOHIDOptionsTypeNone), kIOReturnSuccess);
    std::array<uint8_t, 12> buffer{};
    std::vector<std::vector<uint8_t>> received;
    device->registerInputReportCallback(
        buffer.data(), buffer.size(),
        [&](IOReturn result, HidDevice* sender, IOHIDReportType type, uint32_t reportID,
            uint8_t* report, int64_t length) {
            EXPECT_EQ(result, kIOReturnSuccess);
            EXPECT_EQ(sender, device.get());
            EXPECT_EQ(type, kIOHIDReportTypeInput);
            EXPECT_EQ(report, buffer.data());
            EXPECT_EQ(reportID, report[0]);
            received.emplace_back(report, report + length);
        });

    const int writer = ::open(node_.devnode.c_str(), O_WRONLY | O_CLOEXEC);
    ASSERT_GE(writer, 0);
    const std::vector<uint8_t> pen = {3, 0x11, 0xe8, 0x03, 0xd0, 0x07, 0x00, 0x40, 5, 0xfb, 0, 0};
    const std::vector<uint8_t> mouse = {1, 1, 5, 0xfb, 0, 0, 0, 0, 0, 0, 0, 0};
    ASSERT_EQ(::write(writer, pen.data(), pen.size()), 12);
    ASSERT_EQ(::write(writer, mouse.data(), mouse.size()), 12);
    // Closing the writer ends the stream, which the device takes for a removal.
    ::close(writer);
    loop_.postAfter(2.0, [&] { loop_.stop(); });
    loop_.run();

    EXPECT_EQ(received, (std::vector<std::vector<uint8_t>>{pen, mouse}));
    EXPECT_EQ(vanished_, 1);
    EXPECT_FALSE(device->isOpen());
    EXPECT_EQ(device->close(kIOHIDOptionsTypeNone), kIOReturnNotOpen);
    EXPECT_EQ(device->getProperty("Product"), HidPropertyValue(std::string("Companion")));
}

TEST_F(HidrawDeviceTest, FailedOpenOrSeizeLeavesNothingOpen) {
    const std::string fifo = node_.devnode;
    node_.devnode = (directory_.path() / "missing").string();
    EXPECT_EQ(makeDevice()->open(kIOHIDOptionsTypeSeizeDevice), kIOReturnNotOpen);

    // A twin that is no evdev node cannot be grabbed: the seize fails whole.
    node_.devnode = fifo;
    const fs::path twin = directory_.path() / "hid/input/input1/event1";
    fs::create_directories(twin);
    writeFile(twin / "uevent", "DEVNAME=" + (directory_.path() / "not-evdev").string() + "\n");
    writeFile(directory_.path() / "not-evdev", "");
    const auto device = makeDevice();
    EXPECT_EQ(device->open(kIOHIDOptionsTypeSeizeDevice), kIOReturnError);  // ENOTTY
    EXPECT_FALSE(device->isOpen());
    // Without seizing, the twins are left alone.
    EXPECT_EQ(device->open(kIOHIDOptionsTypeNone), kIOReturnSuccess);
    EXPECT_EQ(device->close(kIOHIDOptionsTypeNone), kIOReturnSuccess);
}

TEST(IOReturnFromErrnoTest, OpenFailuresSelectTheOpenErrorRows) {
    EXPECT_EQ(ioReturnFromErrno(EACCES), kIOReturnNotPrivileged);
    EXPECT_EQ(ioReturnFromErrno(EPERM), kIOReturnNotPrivileged);
    EXPECT_EQ(ioReturnFromErrno(EBUSY), kIOReturnExclusiveAccess);
    EXPECT_EQ(ioReturnFromErrno(ENOENT), kIOReturnNotOpen);
    EXPECT_EQ(ioReturnFromErrno(ENODEV), kIOReturnNotOpen);
    EXPECT_EQ(ioReturnFromErrno(EINVAL), kIOReturnError);
    EXPECT_EQ(ioReturnFromErrno(0), kIOReturnSuccess);
}

}  // namespace
}  // namespace drawlume
