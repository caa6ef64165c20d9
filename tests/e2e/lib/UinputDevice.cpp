#include "UinputDevice.hpp"

#include <array>
#include <cstring>

#include <fcntl.h>
#include <linux/uinput.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "SysError.hpp"

namespace drawlume::e2e {
namespace {

bool writeEvent(int fd, uint16_t type, uint16_t code, int32_t value, std::string& error) {
    input_event event{};
    event.type = type;
    event.code = code;
    event.value = value;
    if (write(fd, &event, sizeof(event)) != static_cast<ssize_t>(sizeof(event))) {
        error = sysError("write /dev/uinput");
        return false;
    }
    return true;
}

bool control(int fd, unsigned long request, unsigned long argument, const std::string& what,
             std::string& error) {
    if (ioctl(fd, request, argument) < 0) {
        error = sysError(what);
        return false;
    }
    return true;
}

}  // namespace

UinputDevice::~UinputDevice() {
    destroy();
}

bool UinputDevice::create(const UinputLayout& layout, std::string& error) {
    destroy();
    fd_ = open("/dev/uinput", O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) {
        error = sysError("open /dev/uinput");
        return false;
    }
    bool ok = true;
    if (!layout.keys.empty()) {
        ok = ok && control(fd_, UI_SET_EVBIT, EV_KEY, "UI_SET_EVBIT EV_KEY", error);
    }
    for (const uint16_t key : layout.keys) {
        ok = ok && control(fd_, UI_SET_KEYBIT, key, "UI_SET_KEYBIT", error);
    }
    if (!layout.relatives.empty()) {
        ok = ok && control(fd_, UI_SET_EVBIT, EV_REL, "UI_SET_EVBIT EV_REL", error);
    }
    for (const uint16_t relative : layout.relatives) {
        ok = ok && control(fd_, UI_SET_RELBIT, relative, "UI_SET_RELBIT", error);
    }
    if (!layout.axes.empty()) {
        ok = ok && control(fd_, UI_SET_EVBIT, EV_ABS, "UI_SET_EVBIT EV_ABS", error);
    }
    for (const UinputAxis& axis : layout.axes) {
        uinput_abs_setup setup{};
        setup.code = axis.code;
        setup.absinfo.minimum = axis.minimum;
        setup.absinfo.maximum = axis.maximum;
        setup.absinfo.resolution = axis.resolution;
        setup.absinfo.value = axis.value;
        ok = ok && control(fd_, UI_SET_ABSBIT, axis.code, "UI_SET_ABSBIT", error) &&
             control(fd_, UI_ABS_SETUP, reinterpret_cast<unsigned long>(&setup), "UI_ABS_SETUP",
                     error);
    }
    for (const uint16_t property : layout.properties) {
        ok = ok && control(fd_, UI_SET_PROPBIT, property, "UI_SET_PROPBIT", error);
    }
    uinput_setup setup{};
    setup.id.bustype = layout.bus;
    setup.id.vendor = layout.vendor;
    setup.id.product = layout.product;
    std::strncpy(setup.name, layout.name.c_str(), UINPUT_MAX_NAME_SIZE - 1);
    ok = ok &&
         control(fd_, UI_DEV_SETUP, reinterpret_cast<unsigned long>(&setup), "UI_DEV_SETUP",
                 error) &&
         control(fd_, UI_DEV_CREATE, 0, "UI_DEV_CREATE", error);
    std::array<char, 64> sysName{};
    if (ok && ioctl(fd_, UI_GET_SYSNAME(sysName.size()), sysName.data()) < 0) {
        error = sysError("UI_GET_SYSNAME");
        ok = false;
    }
    if (!ok) {
        destroy();
        return false;
    }
    sysPath_ = std::string("/sys/devices/virtual/input/") + sysName.data();
    return true;
}

bool UinputDevice::emit(const Frame& frame, std::string& error) {
    for (const EventValue& event : frame.events) {
        if (!writeEvent(fd_, event.type, event.code, event.value, error)) {
            return false;
        }
    }
    return writeEvent(fd_, EV_SYN, SYN_REPORT, 0, error);
}

void UinputDevice::destroy() {
    if (fd_ >= 0) {
        ioctl(fd_, UI_DEV_DESTROY);
        close(fd_);
        fd_ = -1;
        sysPath_.clear();
    }
}

}  // namespace drawlume::e2e
