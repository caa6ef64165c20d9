#include "platform/linux/uinput/LibevdevUinputWriter.hpp"

#include <cerrno>
#include <memory>

#include <fcntl.h>
#include <libevdev/libevdev-uinput.h>
#include <libevdev/libevdev.h>
#include <linux/input.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "logging/LogMacros.hpp"
#include "platform/linux/uinput/EvdevFrame.hpp"
#include "platform/linux/uinput/UinputDeviceLayout.hpp"

namespace drawlume {

namespace {

constexpr const char* kLogFile = "Drawlume___Bluetooth_Agent/LibevdevUinputWriter";

struct LibevdevFree {
    void operator()(libevdev* device) const { libevdev_free(device); }
};

// A libevdev description of the layout; errno on failure.
int describe(const UinputDeviceLayout& layout, std::unique_ptr<libevdev, LibevdevFree>& out) {
    std::unique_ptr<libevdev, LibevdevFree> device(libevdev_new());
    if (!device) {
        return ENOMEM;
    }
    libevdev_set_name(device.get(), layout.name);
    libevdev_set_phys(device.get(), layout.phys);
    libevdev_set_id_bustype(device.get(), layout.bus);
    libevdev_set_id_vendor(device.get(), layout.vendor);
    libevdev_set_id_product(device.get(), layout.product);
    libevdev_set_id_version(device.get(), layout.version);
    int rc = 0;
    for (const uint16_t property : layout.properties) {
        rc = rc != 0 ? rc : libevdev_enable_property(device.get(), property);
    }
    for (const uint16_t key : layout.keys) {
        rc = rc != 0 ? rc : libevdev_enable_event_code(device.get(), EV_KEY, key, nullptr);
    }
    for (const UinputAxis& axis : layout.absoluteAxes) {
        input_absinfo info{};
        info.value = axis.initialValue;
        info.minimum = axis.minimum;
        info.maximum = axis.maximum;
        info.resolution = axis.resolution;
        rc = rc != 0 ? rc : libevdev_enable_event_code(device.get(), EV_ABS, axis.code, &info);
    }
    for (const uint16_t code : layout.relativeAxes) {
        rc = rc != 0 ? rc : libevdev_enable_event_code(device.get(), EV_REL, code, nullptr);
    }
    if (rc != 0) {
        return EINVAL;
    }
    out = std::move(device);
    return 0;
}

}  // namespace

LibevdevUinputWriter::Result LibevdevUinputWriter::create(const std::string& uinputPath,
                                                          PointerMotion motion) {
    Result result;
    std::unique_ptr<LibevdevUinputWriter> writer(new LibevdevUinputWriter());
    for (int role = 0; role < kUinputDeviceRoleCount; ++role) {
        const UinputDeviceLayout& layout =
            uinputDeviceLayout(static_cast<UinputDeviceRole>(role), motion);
        Device& device = writer->devices_[static_cast<size_t>(role)];
        device.fd = ::open(uinputPath.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (device.fd < 0) {
            result.error = errno;
            result.failure =
                strf("open(%s): %s", uinputPath.c_str(), errnoText(result.error).c_str());
            return result;
        }
        std::unique_ptr<libevdev, LibevdevFree> description;
        int error = describe(layout, description);
        if (error == 0) {
            error =
                -libevdev_uinput_create_from_device(description.get(), device.fd, &device.uinput);
        }
        if (error != 0) {
            result.error = error;
            result.failure = strf("creating the uinput device \"%s\": %s", layout.name,
                                  errnoText(error).c_str());
            return result;
        }
        const char* devnode = libevdev_uinput_get_devnode(device.uinput);
        device.devnode = devnode != nullptr ? devnode : "";
        DDLogInfo("create()",
                  strf("Created uinput device \"%s\" at %s", layout.name,
                       device.devnode.empty() ? "an unknown node" : device.devnode.c_str()));
    }
    result.writer = std::move(writer);
    return result;
}

LibevdevUinputWriter::~LibevdevUinputWriter() {
    destroy();
}

void LibevdevUinputWriter::destroy() {
    for (Device& device : devices_) {
        if (device.uinput != nullptr) {
            libevdev_uinput_destroy(device.uinput);
            device.uinput = nullptr;
        }
        if (device.fd >= 0) {
            ::close(device.fd);
            device.fd = -1;
        }
    }
}

int LibevdevUinputWriter::writeFrame(UinputDeviceRole role,
                                     std::span<const EvdevEvent> frame) noexcept {
    const Device& device = devices_[static_cast<size_t>(role)];
    if (device.uinput == nullptr) {
        return ENODEV;
    }
    // One write(2) per frame: the kernel takes the whole batch at once, and
    // a signal handler may do the same.
    // Only the events sent are filled in; the kernel stamps their times.
    std::array<input_event, EvdevFrame::kCapacity> events;
    while (!frame.empty()) {
        const size_t count = std::min(frame.size(), events.size());
        for (size_t i = 0; i < count; ++i) {
            events[i].input_event_sec = 0;
            events[i].input_event_usec = 0;
            events[i].type = frame[i].type;
            events[i].code = frame[i].code;
            events[i].value = frame[i].value;
        }
        const size_t bytes = count * sizeof(input_event);
        ssize_t written = 0;
        do {
            // The plain system call: write(2) in a process with threads also
            // marks and unmarks a cancellation point, two calls more a report,
            // and no thread of the agent is ever cancelled.
            written = ::syscall(SYS_write, device.fd, events.data(), bytes);
        } while (written < 0 && errno == EINTR);
        if (written < 0) {
            return errno;
        }
        if (static_cast<size_t>(written) != bytes) {
            return EIO;
        }
        frame = frame.subspan(count);
    }
    return 0;
}

const std::string& LibevdevUinputWriter::devnode(UinputDeviceRole role) const {
    return devices_[static_cast<size_t>(role)].devnode;
}

}  // namespace drawlume
