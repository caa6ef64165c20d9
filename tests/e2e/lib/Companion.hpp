#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "Sysfs.hpp"
#include "input/CompanionReportLayout.hpp"

namespace drawlume::e2e {

// A keyboard report, laid out by the same table the agent's translation reads it
// with (companion::encode); up to six key usages, more are left out.
std::vector<uint8_t> keyboardReport(uint8_t modifiers, const std::vector<uint8_t>& usages);

// Parses one line of a companion script into report bytes. The forms are
//   pen  [tip] [barrel] [invert] [eraser] [range] x=N y=N p=N tx=N ty=N twist=N
//   mouse [left] [right] [middle] dx=N dy=N wheel=N pan=N
//   keys [mods=0xNN] [usage...]         (usages in hex, at most six)
// and refuses a value the descriptor cannot carry, which would be cut.
bool parseReportLine(const std::string& line, std::vector<uint8_t>& report, std::string& error);

// What a simulated companion does, one step a line ('#' starts a comment):
//   pen ... | mouse ... | keys ...            send one report
//   sleep MS                                  pause
//   wait FILE MS                              go on once FILE exists; fail after MS
//   touch FILE                                create FILE (tells a waiting reader)
//   remove | add                              a Bluetooth disconnect, a reconnect
struct ScriptStep {
    enum class Kind { report, sleep, waitFile, touchFile, remove, add };
    Kind kind = Kind::report;
    std::vector<uint8_t> report;
    int milliseconds = 0;
    std::string path;
    int line = 0;
};
bool readScriptFile(const std::string& path, std::vector<ScriptStep>& steps, std::string& error);

// The report descriptor from the annotated text the tests keep: the hex bytes before
// each '#'. Empty, with `error` set, when unreadable or not all hex bytes.
std::vector<uint8_t> readDescriptorFile(const std::string& path, std::string& error);

// A simulated companion: a HID device created through /dev/uhid on the Bluetooth
// bus, as BlueZ creates a paired HID-over-GATT device. The kernel binds hid-generic
// to it, which makes the hidraw node and hid-input's evdev twins.
class UhidCompanion {
public:
    struct Identity {
        std::string name = "Drawlume Test Companion";
        std::string uniq = "aa:bb:cc:dd:ee:01";  // the Bluetooth address; HID_UNIQ in sysfs
    };

    UhidCompanion() = default;
    ~UhidCompanion() { destroy(); }
    UhidCompanion(const UhidCompanion&) = delete;
    UhidCompanion& operator=(const UhidCompanion&) = delete;

    // Creates the device and waits until the kernel has started it (UHID_START);
    // reports written before it are accepted and lost.
    bool create(const Identity& identity, const std::vector<uint8_t>& descriptor,
                const Deadline& deadline, std::string& error);
    // Creates it again with the identity and descriptor of the last create().
    bool recreate(const Deadline& deadline, std::string& error);
    void destroy();

    // One input report, report ID first.
    bool send(std::span<const uint8_t> report, std::string& error);

    // Reads and answers what the kernel queued (open, close, report requests); the
    // queue is small and must not fill up while the companion lives.
    void drainEvents();

    const Identity& identity() const { return identity_; }

private:
    int fd_ = -1;
    Identity identity_;
    std::vector<uint8_t> descriptor_;
};

// The companion's hidraw node plus hid-input's Mouse, Keyboard and Stylus twins.
constexpr size_t kCompanionTwinCount = 3;

// Creates the companion (or another device, with its own count of twins) and waits
// until its hidraw node and twins are all there: reports sent earlier may be lost.
bool createCompanion(UhidCompanion& companion, const UhidCompanion::Identity& identity,
                     const std::vector<uint8_t>& descriptor, const Deadline& deadline,
                     CompanionNodes& nodes, std::string& error,
                     size_t twinCount = kCompanionTwinCount);

// Plays a script.
bool playScript(UhidCompanion& companion, const std::vector<ScriptStep>& steps, std::string& error);

}  // namespace drawlume::e2e
