#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Deadline.hpp"

namespace drawlume::e2e {

// A simulated companion: a HID device created through /dev/uhid on the Bluetooth
// bus, as BlueZ creates a paired HID-over-GATT device. The kernel binds hid-generic
// to it, which makes the hidraw node and hid-input's evdev twins.
class UhidCompanion {
public:
    struct Identity {
        std::string name = "Drawlume Test Companion";
        std::string uniq = "aa:bb:cc:dd:ee:01";  // the Bluetooth address; HID_UNIQ in sysfs
        std::string phys = "drawlume-e2e";
        uint32_t vendor = 0x1d6b;
        uint32_t product = 0x0e2e;
    };

    UhidCompanion() = default;
    ~UhidCompanion();
    UhidCompanion(const UhidCompanion&) = delete;
    UhidCompanion& operator=(const UhidCompanion&) = delete;

    // Creates the device and waits until the kernel has started it (UHID_START).
    // The hidraw node and the twins follow shortly after; SysfsNodes waits for them.
    bool create(const Identity& identity, const std::vector<uint8_t>& descriptor,
                const Deadline& deadline, std::string& error);

    // One input report, report ID first. Reports written before UHID_START are
    // accepted and lost, which create() rules out.
    bool send(const uint8_t* report, size_t size, std::string& error);
    bool send(const std::vector<uint8_t>& report, std::string& error) {
        return send(report.data(), report.size(), error);
    }

    // Removes the device from the kernel, as a Bluetooth disconnect does.
    void destroy();

    // Creates it again with the identity and descriptor of the last create(), as a
    // reconnect does.
    bool recreate(const Deadline& deadline, std::string& error);

    bool exists() const { return fd_ >= 0; }
    const Identity& identity() const { return identity_; }

    // Reads and answers what the kernel queued (open, close, report requests); the
    // queue is small and must not fill up while the companion lives.
    void drainEvents();

private:
    bool waitForStart(const Deadline& deadline, std::string& error);

    int fd_ = -1;
    Identity identity_;
    std::vector<uint8_t> descriptor_;
};

}  // namespace drawlume::e2e
