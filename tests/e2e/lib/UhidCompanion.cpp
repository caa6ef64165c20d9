#include "UhidCompanion.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <linux/uhid.h>
#include <poll.h>
#include <unistd.h>

#include "SysError.hpp"

namespace drawlume::e2e {
namespace {

constexpr uint16_t kBusBluetooth = 0x05;

void copyText(uint8_t* target, size_t capacity, const std::string& text) {
    const size_t length = std::min(capacity - 1, text.size());
    std::memcpy(target, text.data(), length);
    target[length] = 0;
}

bool writeEvent(int fd, const uhid_event& event, std::string& error) {
    const ssize_t written = write(fd, &event, sizeof(event));
    if (written != static_cast<ssize_t>(sizeof(event))) {
        error = written < 0 ? sysError("write /dev/uhid") : "short write to /dev/uhid";
        return false;
    }
    return true;
}

}  // namespace

UhidCompanion::~UhidCompanion() {
    destroy();
}

bool UhidCompanion::create(const Identity& identity, const std::vector<uint8_t>& descriptor,
                           const Deadline& deadline, std::string& error) {
    destroy();
    if (descriptor.empty() || descriptor.size() > HID_MAX_DESCRIPTOR_SIZE) {
        error = "descriptor size " + std::to_string(descriptor.size()) + " out of range";
        return false;
    }
    fd_ = open("/dev/uhid", O_RDWR | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0) {
        error = sysError("open /dev/uhid");
        return false;
    }
    identity_ = identity;
    descriptor_ = descriptor;
    uhid_event event{};
    event.type = UHID_CREATE2;
    copyText(event.u.create2.name, sizeof(event.u.create2.name), identity.name);
    copyText(event.u.create2.phys, sizeof(event.u.create2.phys), identity.phys);
    copyText(event.u.create2.uniq, sizeof(event.u.create2.uniq), identity.uniq);
    event.u.create2.rd_size = static_cast<uint16_t>(descriptor.size());
    event.u.create2.bus = kBusBluetooth;
    event.u.create2.vendor = identity.vendor;
    event.u.create2.product = identity.product;
    std::memcpy(event.u.create2.rd_data, descriptor.data(), descriptor.size());
    if (!writeEvent(fd_, event, error) || !waitForStart(deadline, error)) {
        destroy();
        return false;
    }
    return true;
}

bool UhidCompanion::recreate(const Deadline& deadline, std::string& error) {
    const Identity identity = identity_;
    const std::vector<uint8_t> descriptor = descriptor_;
    return create(identity, descriptor, deadline, error);
}

bool UhidCompanion::waitForStart(const Deadline& deadline, std::string& error) {
    while (true) {
        pollfd watch{fd_, POLLIN, 0};
        const int ready = poll(&watch, 1, deadline.remainingMs());
        if (ready < 0 && errno != EINTR) {
            error = sysError("poll /dev/uhid");
            return false;
        }
        if (ready == 0) {
            error = "no UHID_START from the kernel in time";
            return false;
        }
        uhid_event event{};
        const ssize_t got = read(fd_, &event, sizeof(event));
        if (got < 0 && errno != EAGAIN && errno != EINTR) {
            error = sysError("read /dev/uhid");
            return false;
        }
        if (got > 0 && event.type == UHID_START) {
            return true;
        }
    }
}

bool UhidCompanion::send(const uint8_t* report, size_t size, std::string& error) {
    if (fd_ < 0) {
        error = "the companion does not exist";
        return false;
    }
    if (size == 0 || size > UHID_DATA_MAX) {
        error = "report size " + std::to_string(size) + " out of range";
        return false;
    }
    uhid_event event{};
    event.type = UHID_INPUT2;
    event.u.input2.size = static_cast<uint16_t>(size);
    std::memcpy(event.u.input2.data, report, size);
    // Only the used part of the input request is written, as uhid allows: it keeps
    // the per-report cost near what a Bluetooth stack pays.
    const size_t length = offsetof(uhid_event, u.input2.data) + size;
    const ssize_t written = write(fd_, &event, length);
    if (written != static_cast<ssize_t>(length)) {
        error = written < 0 ? sysError("write UHID_INPUT2") : "short write of UHID_INPUT2";
        return false;
    }
    drainEvents();
    return true;
}

void UhidCompanion::drainEvents() {
    if (fd_ < 0) {
        return;
    }
    uhid_event event{};
    while (read(fd_, &event, sizeof(event)) > 0) {
        // The descriptor has no feature or output reports, but hid-input may still ask;
        // an error answer keeps the asking thread from waiting for its time-out.
        uhid_event reply{};
        if (event.type == UHID_GET_REPORT) {
            reply.type = UHID_GET_REPORT_REPLY;
            reply.u.get_report_reply.id = event.u.get_report.id;
            reply.u.get_report_reply.err = EIO;
        } else if (event.type == UHID_SET_REPORT) {
            reply.type = UHID_SET_REPORT_REPLY;
            reply.u.set_report_reply.id = event.u.set_report.id;
            reply.u.set_report_reply.err = EIO;
        } else {
            continue;
        }
        std::string ignored;
        writeEvent(fd_, reply, ignored);
    }
}

void UhidCompanion::destroy() {
    if (fd_ < 0) {
        return;
    }
    uhid_event event{};
    event.type = UHID_DESTROY;
    std::string ignored;
    writeEvent(fd_, event, ignored);
    close(fd_);
    fd_ = -1;
}

}  // namespace drawlume::e2e
