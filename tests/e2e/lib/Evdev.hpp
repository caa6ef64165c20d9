#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

#include "System.hpp"

namespace drawlume::e2e {

// The value of an expected event written "CODE=*": any value matches.
constexpr int32_t kAnyValue = INT32_MIN;

// One event of a frame, without its time stamp.
struct EventValue {
    uint16_t type = 0;
    uint16_t code = 0;
    int32_t value = 0;
    // Expected events only, written "CODE=LOW..HIGH": any value from `value` up to this
    // one matches (for values that depend on timing, such as accelerated motion).
    std::optional<int32_t> upTo;
    auto operator<=>(const EventValue&) const = default;
};

// The events between two SYN_REPORTs. The input core does not keep the order in
// which a driver reported them, so a frame is compared as a set.
using Frame = std::vector<EventValue>;

// The kernel's name of an event code (KEY_A, ABS_PRESSURE), as libevdev knows it, so
// that expected frames are written and printed as a person reads them; a code
// without a name prints as "<type>:<code>".
std::string codeName(uint16_t type, uint16_t code);

// "BTN_TOOL_PEN=1 ABS_X=1200 ABS_Y=800", in code order; parseFrame takes any order.
std::string formatFrame(Frame frame);
bool parseFrame(const std::string& line, Frame& frame, std::string& error);

// For devices whose frame boundaries are the writer's choice: every expected frame
// must be contained (its events a subset) in its own actual frame, in order; actual
// frames in between are allowed.
bool framesContainInOrder(const std::vector<Frame>& expected, const std::vector<Frame>& actual,
                          std::string& difference);

// Waits for exactly one uinput device (under /sys/devices/virtual/input, where
// hid-input's twins never are) named `name`, and its /dev node.
bool waitForUinputDevice(const std::string& name, const Deadline& deadline, std::string& devNode,
                         std::string& error);

// The name of the input device behind an evdev node, e.g. "<companion> Stylus".
std::string inputName(const std::string& devNode);

// Waits until another process holds the evdev node `twin` open, gives it the time
// to grab it, then checks the grab (EVIOCGRAB answers EBUSY).
bool waitForGrabbedTwin(const std::string& twin, std::string& error);

// Reads an evdev node frame by frame, every read bounded by a deadline: the input
// core drops repeated values and never delivers an empty frame, so "nothing came" is
// an answer only a time-out can give. MSC events (which only hid-input sends) and
// key repeats are left out.
class EvdevReader {
public:
    EvdevReader() = default;
    ~EvdevReader() { ::close(fd_); }
    EvdevReader(const EvdevReader&) = delete;
    EvdevReader& operator=(const EvdevReader&) = delete;

    // Once, before anything else; the node is closed with the reader, which ends a
    // grab it holds.
    bool open(const std::string& node, std::string& error);
    int fd() const { return fd_; }
    const std::string& node() const { return node_; }

    // Whether another reader holds the grab: the errno of EVIOCGRAB (EBUSY: someone
    // else holds it), or 0, and then the grab won is let go at once.
    int probeGrab();

    // Reads until `minFrames` more frames have come, then on until no event arrives for
    // `quietMs` (not at all when negative) or the device goes away (ENODEV; the frames
    // before are kept). False, with `error` set, when the deadline passes first, the
    // kernel's buffer overflows (SYN_DROPPED: frames were lost) or a read fails.
    bool read(size_t minFrames, int quietMs, const Deadline& deadline, std::vector<Frame>& frames,
              std::string& error);
    bool overflowed() const { return overflowed_; }

    // Drops whatever is queued now, and the overflow.
    void discardPending();

private:
    // One poll of at most `timeoutMs` and one read, completed frames appended: 1 when
    // events came, 0 when none came in time, 2 when the device went away, and -1,
    // with `error` set, when the read failed.
    int readOnce(int timeoutMs, std::vector<Frame>& frames, std::string& error);

    int fd_ = -1;
    bool overflowed_ = false;
    std::string node_;
    Frame partial_;
};

}  // namespace drawlume::e2e
