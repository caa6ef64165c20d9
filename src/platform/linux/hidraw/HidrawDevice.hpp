#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "devices/HidDevice.hpp"
#include "devices/InputReportRegistration.hpp"
#include "devices/ReportDescriptor.hpp"
#include "platform/linux/hidraw/EvdevTwinGrabs.hpp"
#include "services/RunLoop.hpp"

namespace drawlume {

// What the host learnt of a hidraw node when it found it.
struct HidrawNode {
    std::string syspath;     // the hidraw device in sysfs
    std::string devnode;     // "/dev/hidraw3"
    std::string hidSyspath;  // its parent hid device, which the evdev twins share
    ReportDescriptor descriptor;
    HidPropertyMap properties;
};

// One hidraw node as a HID device. Opening it opens the node for reading
// without blocking, and seizing it also grabs every evdev twin of the same
// hid device. The run loop reads the reports (on its thread, those that
// queued together in one call, or on a reader thread of its own) and they are
// handed one by one (with the report ID as byte 0 for devices that use IDs)
// to the caller's buffer.
// A read that finds the device gone tells the host, which removes it.
class HidrawDevice final : public HidDevice, public std::enable_shared_from_this<HidrawDevice> {
public:
    using VanishedHandler = std::function<void(HidrawDevice& device)>;

    HidrawDevice(HidrawNode node, RunLoop& runLoop, VanishedHandler onVanished);
    ~HidrawDevice() override;
    HidrawDevice(const HidrawDevice&) = delete;
    HidrawDevice& operator=(const HidrawDevice&) = delete;

    IOReturn open(IOOptionBits options) override;
    IOReturn close(IOOptionBits options) override;
    HidPropertyValue getProperty(std::string_view key) const override;
    void registerInputReportCallback(uint8_t* buffer, int64_t bufferSize,
                                     InputReportCallback callback) override;

    const HidrawNode& node() const { return node_; }
    bool isOpen() const { return fd_ >= 0; }
    // An evdev node of this device that appeared after the open: grabbed at
    // once while the device is seized.
    void twinAppeared(const std::string& devnode);
    void twinRemoved(const std::string& devnode);
    // What the host does when the device goes away: every descriptor and grab
    // is given up.
    void release();

private:
    // A read that came back empty or failed: the device is given up.
    void readsEnded(int error);

    HidrawNode node_;
    RunLoop& runLoop_;
    VanishedHandler onVanished_;
    int fd_ = -1;
    RunLoop::WatchId watch_ = 0;
    bool seized_ = false;
    EvdevTwinGrabs grabs_;
    InputReportRegistration registration_;
    // At most this many reports a call: the kernel takes up to eight iovecs
    // without allocating, and a flood still yields to the run loop's other work.
    static constexpr size_t kSlotsPerRead = 8;
    // The run loop reads reports into slots of this size, then they are
    // copied to the caller's buffer (or dropped while none is registered).
    size_t slotSize_ = 0;
};

}  // namespace drawlume
