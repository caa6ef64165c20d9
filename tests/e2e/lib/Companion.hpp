#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "System.hpp"
#include "input/CompanionReportLayout.hpp"

namespace drawlume::e2e {

// Parses one line of a companion script into report bytes, laid out by the same
// table the agent's translation reads them with (companion::encode). The forms are
//   pen  [tip] [barrel] [invert] [eraser] [range] x=N y=N p=N tx=N ty=N twist=N
//   mouse [left] [right] [middle] dx=N dy=N wheel=N pan=N
//   keys [mods=0xNN] [usage...]         (usages in hex, at most six)
// and refuses a value the descriptor cannot carry, which would be cut.
bool parseReportLine(const std::string& line, std::vector<uint8_t>& report, std::string& error);

// The report descriptor from the annotated text the tests keep: the hex bytes before
// each '#'. Empty, with `error` set, when unreadable or not all hex bytes.
std::vector<uint8_t> readDescriptorFile(const std::string& path, std::string& error);

// A hid device's nodes, found the way the agent must: through their parents in
// sysfs, never by number (device numbers change with every add). Without udevd in
// the virtual machine, sysfs and devtmpfs are all there is.
struct CompanionNodes {
    std::string hidPath;             // /sys/bus/hid/devices/0005:VVVV:PPPP.NNNN
    std::string hidraw;              // /dev/hidrawN
    std::vector<std::string> twins;  // hid-input's evdev nodes of the same hid device
};

// Waits until the hid device whose HID_UNIQ is `uniq` has its hidraw node and
// `twinCount` twins, each with its /dev node.
bool waitForCompanionNodes(const std::string& uniq, size_t twinCount, const Deadline& deadline,
                           CompanionNodes& nodes, std::string& error);

constexpr const char* kCompanionName = "Drawlume Test Companion";
// The companion's hidraw node plus hid-input's Mouse, Keyboard and Stylus twins.
constexpr size_t kCompanionTwinCount = 3;

// A simulated companion: a HID device created through /dev/uhid on the Bluetooth
// bus, as BlueZ creates a paired HID-over-GATT device. The kernel binds hid-generic
// to it, which makes the hidraw node and hid-input's evdev twins.
class UhidCompanion {
public:
    // `uniq` is the Bluetooth address, HID_UNIQ in sysfs; another device than the
    // companion may have another count of twins.
    UhidCompanion(std::string uniq, std::vector<uint8_t> descriptor,
                  std::string name = kCompanionName, size_t twinCount = kCompanionTwinCount)
        : uniq_(std::move(uniq)),
          name_(std::move(name)),
          descriptor_(std::move(descriptor)),
          twinCount_(twinCount) {}
    ~UhidCompanion() { destroy(); }
    UhidCompanion(const UhidCompanion&) = delete;
    UhidCompanion& operator=(const UhidCompanion&) = delete;

    // Creates the device (again, after destroy()) and waits until the kernel has
    // started it and its hidraw node and twins are all there: reports sent earlier
    // may be lost.
    bool create(const Deadline& deadline, CompanionNodes& nodes, std::string& error);
    void destroy();

    // One input report, report ID first.
    bool send(std::span<const uint8_t> report, std::string& error);

    // Reads and answers what the kernel queued (open, close, report requests); the
    // queue is small and must not fill up while the companion lives.
    void drainEvents();

private:
    int fd_ = -1;
    std::string uniq_;
    std::string name_;
    std::vector<uint8_t> descriptor_;
    size_t twinCount_;
};

// Plays a script file, what the companion does, one step a line ('#' starts a
// comment):
//   pen ... | mouse ... | keys ...            send one report
//   sleep MS                                  pause
//   wait FILE MS                              go on once FILE exists; fail after MS
//   touch FILE                                create FILE (tells a waiting reader)
//   remove | add                              a Bluetooth disconnect, a reconnect
bool playScript(const std::string& path, UhidCompanion& companion, std::string& error);

}  // namespace drawlume::e2e
