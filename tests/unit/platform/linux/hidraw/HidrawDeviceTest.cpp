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
// blocking, and a FIFO fills the read's slots as hidraw does as long as
// every report but the last is of the largest size. The writer opens first,
// read and write, so that a reader never finds the FIFO without one. Reports
// are read on the loop or on a thread of their own.
class HidrawDeviceTest : public ::testing::TestWithParam<PollRunLoop::Reads> {
protected:
    void SetUp() override {
        node_.devnode = (directory_.path() / "hidraw0").string();
        node_.hidSyspath = (directory_.path() / "hid").string();
        node_.descriptor.usesReportIDs = true;
        node_.descriptor.maxInputReportSize = 12;
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
    PollRunLoop loop_{GetParam()};
    int vanished_ = 0;
};

// More reports queued than one read takes: each reaches the caller's buffer
// with its ID once, in order, on the run loop, until the writer goes (the device vanishes) or the
// callback closes the device, after which nothing more is delivered.
TEST_P(HidrawDeviceTest, QueuedReportsArriveInOrderUntilTheDeviceGoesOrCloses) {
    struct Case {
        int fullReports;
        int closeAfter;  // 0: never
        int expected;
        int vanished;
    };
    // The vanishing case comes last: its stop timer outlives its run.
    for (const Case& c : {Case{20, 3, 3, 0}, Case{8, 9, 9, 0}, Case{20, 0, 21, 1}}) {
        SCOPED_TRACE(::testing::Message() << "closeAfter " << c.closeAfter);
        vanished_ = 0;
        const int writer = ::open(node_.devnode.c_str(), O_RDWR | O_CLOEXEC);
        ASSERT_GE(writer, 0);
        const auto device = makeDevice();
        ASSERT_EQ(device->open(kIOHIDOptionsTypeNone), kIOReturnSuccess);
        std::array<uint8_t, 12> buffer{};
        std::vector<std::vector<uint8_t>> received;
        device->registerInputReportCallback(
            buffer.data(), buffer.size(),
            [&](IOReturn result, HidDevice*, IOHIDReportType, uint32_t reportID, uint8_t* report,
                int64_t length) {
                EXPECT_EQ(result, kIOReturnSuccess);
                EXPECT_EQ(report, buffer.data());  // the caller's buffer, its ID first
                EXPECT_EQ(reportID, report[0]);
                received.emplace_back(report, report + length);
                if (static_cast<int>(received.size()) == c.closeAfter) {
                    EXPECT_EQ(device->close(kIOHIDOptionsTypeNone), kIOReturnSuccess);
                }
            });
        std::vector<std::vector<uint8_t>> sent;
        std::vector<uint8_t> bytes;
        for (int i = 0; i < c.fullReports; ++i) {
            sent.push_back({3, static_cast<uint8_t>(i), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
        }
        sent.push_back({1, 0xee, 5, 0xfb, 0});  // the last may be shorter
        for (const auto& report : sent) {
            bytes.insert(bytes.end(), report.begin(), report.end());
        }
        ASSERT_EQ(::write(writer, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
        if (c.closeAfter == 0) {
            ::close(writer);
        }
        loop_.postAfter(c.closeAfter == 0 ? 2.0 : 0.3, [&] { loop_.stop(); });
        loop_.run();
        if (c.closeAfter != 0) {
            ::close(writer);
        }

        sent.resize(static_cast<size_t>(c.expected));
        EXPECT_EQ(received, sent);
        EXPECT_EQ(vanished_, c.vanished);
        EXPECT_FALSE(device->isOpen());
        EXPECT_EQ(device->close(kIOHIDOptionsTypeNone), kIOReturnNotOpen);
    }
}

TEST_P(HidrawDeviceTest, FailedOpenOrSeizeLeavesNothingOpen) {
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

INSTANTIATE_TEST_SUITE_P(Reads, HidrawDeviceTest,
                         ::testing::Values(PollRunLoop::Reads::onLoop,
                                           PollRunLoop::Reads::onThreads));

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
