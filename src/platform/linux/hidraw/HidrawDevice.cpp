#include "platform/linux/hidraw/HidrawDevice.hpp"

#include <algorithm>
#include <cerrno>
#include <span>
#include <utility>

#include <fcntl.h>
#include <unistd.h>

#include "logging/LogMacros.hpp"
#include "platform/linux/hidraw/HidSysfs.hpp"
#include "platform/linux/hidraw/IOReturnFromErrno.hpp"

namespace drawlume {

namespace {
constexpr const char* kLogFile = "Drawlume___Bluetooth_Agent/HidrawDevice";
constexpr size_t kUnknownReportSize = 64;
}  // namespace

HidrawDevice::HidrawDevice(HidrawNode node, RunLoop& runLoop, VanishedHandler onVanished)
    : node_(std::move(node)), runLoop_(runLoop), onVanished_(std::move(onVanished)) {}

HidrawDevice::~HidrawDevice() {
    release();
}

IOReturn HidrawDevice::open(IOOptionBits options) {
    if (isOpen()) {
        return kIOReturnSuccess;
    }
    const int fd = ::open(node_.devnode.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        DDLogError("open(_:)",
                   strf("Cannot open %s: %s", node_.devnode.c_str(), errnoText(error).c_str()));
        return ioReturnFromErrno(error);
    }
    fd_ = fd;
    seized_ = (options & kIOHIDOptionsTypeSeizeDevice) != 0;
    if (seized_) {
        for (const std::string& twin : HidSysfs::evdevTwinNodes(node_.hidSyspath)) {
            const int error = grabs_.grab(twin);
            if (error != 0) {
                DDLogError("open(_:)", strf("Cannot grab %s of %s: %s", twin.c_str(),
                                            node_.devnode.c_str(), errnoText(error).c_str()));
                release();
                return ioReturnFromErrno(error);
            }
        }
    }
    // A slot holds the largest report the descriptor declares; without one, as
    // much as any companion report could need.
    slotSize_ = node_.descriptor.maxInputReportSize > 0 ? node_.descriptor.maxInputReportSize
                                                        : kUnknownReportSize;
    // The reports are handed over in the handler itself, not in a function
    // of their own: each call and return on a report's way is looked up again
    // after every switch of process when the machine is emulated.
    auto onRead = [weak = weak_from_this()](std::span<const uint8_t> bytes, int error) {
        const auto self = weak.lock();
        if (!self) {
            return;
        }
        if (bytes.empty()) {
            self->readsEnded(error);
            return;
        }
        // hidraw hands over one report a read, so a scattered read fills slot
        // after slot and stops at the first that comes short or finds the queue
        // empty: every report but the last filled its slot (the largest, the
        // pen's, do). The callback may close this device, which ends the delivery.
        const size_t slotSize = self->slotSize_;
        for (size_t offset = 0; offset < bytes.size() && self->isOpen(); offset += slotSize) {
            self->registration_.deliver(
                self.get(), self->node_.descriptor.usesReportIDs,
                bytes.subspan(offset, std::min(slotSize, bytes.size() - offset)));
        }
    };
    watch_ = runLoop_.watchReads(fd_, slotSize_, kSlotsPerRead, std::move(onRead));
    DDLogInfo("open(_:)", strf("Opened %s%s (%zu evdev node(s) grabbed)", node_.devnode.c_str(),
                               seized_ ? " exclusively" : "", grabs_.count()));
    return kIOReturnSuccess;
}

IOReturn HidrawDevice::close(IOOptionBits /*options*/) {
    if (!isOpen()) {
        return kIOReturnNotOpen;
    }
    release();
    return kIOReturnSuccess;
}

void HidrawDevice::release() {
    if (watch_ != 0) {
        runLoop_.unwatch(watch_);
        watch_ = 0;
    }
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    grabs_.releaseAll();
    seized_ = false;
    registration_.clear();
}

HidPropertyValue HidrawDevice::getProperty(std::string_view key) const {
    return findProperty(node_.properties, key);
}

void HidrawDevice::registerInputReportCallback(uint8_t* buffer, int64_t bufferSize,
                                               InputReportCallback callback) {
    registration_.set(buffer, bufferSize, std::move(callback));
}

void HidrawDevice::twinAppeared(const std::string& devnode) {
    if (!isOpen() || !seized_) {
        return;
    }
    const int error = grabs_.grab(devnode);
    if (error != 0) {
        // The open already succeeded; the desktop may now see this node's
        // input as well, which the log must make plain.
        DDLogError("twinAppeared(_:)",
                   strf("Cannot grab late evdev node %s of %s: %s", devnode.c_str(),
                        node_.devnode.c_str(), errnoText(error).c_str()));
    }
}

void HidrawDevice::twinRemoved(const std::string& devnode) {
    grabs_.release(devnode);
}

void HidrawDevice::readsEnded(int error) {
    // A hidraw read never ends the stream; an end is taken as the device gone.
    error = error == 0 ? ENODEV : error;
    // EIO or ENODEV: the device is gone. Anything else would repeat on every
    // wake-up, so the device is given up as well.
    if (error != EIO && error != ENODEV) {
        DDLogError("readsEnded(_:)",
                   strf("Reading %s failed: %s", node_.devnode.c_str(), errnoText(error).c_str()));
    }
    release();
    if (onVanished_) {
        onVanished_(*this);
    }
}

}  // namespace drawlume
