#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "System.hpp"

namespace drawlume::e2e {

// The kernel's names of event codes (KEY_A, ABS_PRESSURE, SYN_REPORT), read from
// linux/input-event-codes.h when the tests are built, so that expected frames are
// written and printed as a person reads them (a code without a name prints as
// "<type>:<code>").
std::string eventCodeName(uint16_t type, uint16_t code);
bool eventCodeFromName(const std::string& name, uint16_t& type, uint16_t& code);

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
// which a driver reported them, so a frame is compared as a set: normalize() sorts it.
struct Frame {
    std::vector<EventValue> events;
    void normalize();
    bool operator==(const Frame&) const = default;
};

// "BTN_TOOL_PEN=1 ABS_X=1200 ABS_Y=800", in code order; parseFrame takes any order.
std::string formatFrame(const Frame& frame);
bool parseFrame(const std::string& line, Frame& frame, std::string& error);

// Reads expected frames: one frame a line, '#' starts a comment, blank lines skipped.
bool readFramesFile(const std::string& path, std::vector<Frame>& frames, std::string& error);

// Compares two frame sequences frame by frame; on a difference says where and how.
bool sameFrames(const std::vector<Frame>& expected, const std::vector<Frame>& actual,
                std::string& difference);

// A looser comparison for devices whose frame boundaries are the writer's choice:
// every expected frame must be contained (its events a subset) in its own actual
// frame, in order; actual frames in between are allowed.
bool framesContainInOrder(const std::vector<Frame>& expected, const std::vector<Frame>& actual,
                          std::string& difference);

// Reads an evdev node frame by frame, every read bounded by a deadline: the input
// core drops repeated values and never delivers an empty frame, so "nothing came" is
// an answer only a time-out can give. MSC events (which only hid-input sends) and
// key repeats are left out.
class EvdevReader {
public:
    enum class Status {
        Complete,  // the asked-for frames arrived (or the node fell quiet)
        TimedOut,  // the deadline passed first
        Removed,   // the device went away (ENODEV); the frames before are kept
        Overflow,  // the kernel's buffer overflowed (SYN_DROPPED): frames were lost
        Failed,    // any other error
    };

    EvdevReader() = default;
    ~EvdevReader() { close(); }
    EvdevReader(const EvdevReader&) = delete;
    EvdevReader& operator=(const EvdevReader&) = delete;

    bool open(const std::string& node, std::string& error);
    void close();
    int fd() const { return fd_; }
    const std::string& node() const { return node_; }

    // EVIOCGRAB: the errno of a refused grab (EBUSY: someone else holds it), 0 on success.
    int grab();
    void ungrab();

    // Reads until `count` more frames have arrived.
    Status readFrames(size_t count, const Deadline& deadline, std::vector<Frame>& frames,
                      std::string& error);
    // Reads until no event arrives for `quietMs`.
    Status readUntilQuiet(int quietMs, const Deadline& deadline, std::vector<Frame>& frames,
                          std::string& error);

    // The keys and buttons the device holds down now (EVIOCGKEY), in code order.
    bool heldKeys(std::vector<uint16_t>& codes, std::string& error) const;

    // Drops whatever is queued now.
    void discardPending();

private:
    // One poll and one read; appends completed frames.
    Status readOnce(int timeoutMs, std::vector<Frame>& frames, std::string& error);

    int fd_ = -1;
    std::string node_;
    Frame partial_;
};

const char* statusName(EvdevReader::Status status);

// "KEY_A BTN_TOUCH", or "nothing".
std::string describeKeys(const std::vector<uint16_t>& codes);

}  // namespace drawlume::e2e
