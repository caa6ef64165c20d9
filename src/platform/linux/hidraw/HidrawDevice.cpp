#include "platform/linux/hidraw/HidrawDevice.hpp"

#include <algorithm>
#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <unistd.h>

#include "logging/LogMacros.hpp"
#include "platform/linux/hidraw/HidSysfs.hpp"
#include "platform/linux/hidraw/IOReturnFromErrno.hpp"

namespace drawlume {

namespace {
constexpr const char* kLogFile = "Drawlume___Bluetooth_Agent/HidrawDevice";
// The kernel queues 64 reports per reader; a wake-up reads at most that many
// so that a flood cannot keep the run loop from its other work.
constexpr int kReportsPerWakeUp = 64;
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
    scratch_.assign(std::max<size_t>(node_.descriptor.maxInputReportSize, 64), 0);
    watch_ = runLoop_.watchReadable(fd_, [weak = weak_from_this()] {
        if (const auto self = weak.lock()) {
            self->readReports();
        }
    });
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

void HidrawDevice::readReports() {
    for (int count = 0; count < kReportsPerWakeUp && isOpen(); ++count) {
        // Held for the call: the callback may close this device.
        const std::shared_ptr<const InputReportCallback> callback = registration_.callback();
        const bool toCaller = registration_.isSet();
        uint8_t* target = toCaller ? registration_.buffer() : scratch_.data();
        const size_t capacity =
            toCaller ? static_cast<size_t>(registration_.bufferSize()) : scratch_.size();
        const ssize_t length = ::read(fd_, target, capacity);
        // A hidraw read never ends the stream; an end is taken as the device gone.
        if (length <= 0) {
            const int error = length == 0 ? ENODEV : errno;
            if (error == EINTR) {
                continue;
            }
            if (error == EAGAIN || error == EWOULDBLOCK) {
                return;
            }
            // EIO or ENODEV: the device is gone. Anything else would repeat
            // on every wake-up, so the device is given up as well.
            if (error != EIO && error != ENODEV) {
                DDLogError("readReports()", strf("Reading %s failed: %s", node_.devnode.c_str(),
                                                 errnoText(error).c_str()));
            }
            release();
            if (onVanished_) {
                onVanished_(*this);
            }
            return;
        }
        if (!toCaller) {
            continue;
        }
        const uint32_t reportID = node_.descriptor.usesReportIDs && length > 0 ? target[0] : 0;
        (*callback)(kIOReturnSuccess, this, kIOHIDReportTypeInput, reportID, target, length);
    }
}

}  // namespace drawlume
