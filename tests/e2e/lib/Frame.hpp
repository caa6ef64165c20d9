#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

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
// which a driver reported them, so a frame is compared as a set: normalize() sorts it.
struct Frame {
    std::vector<EventValue> events;

    void normalize();
    bool operator==(const Frame&) const = default;
};

// "BTN_TOOL_PEN=1 ABS_X=1200 ABS_Y=800", in code order.
std::string formatFrame(const Frame& frame);

// The inverse of formatFrame; the events may come in any order.
bool parseFrame(const std::string& line, Frame& frame, std::string& error);

// Reads expected frames: one frame a line, '#' starts a comment, blank lines skipped.
bool readFramesFile(const std::string& path, std::vector<Frame>& frames, std::string& error);

// Compares two frame sequences; on a difference says where and how, in `difference`.
// Expected values of kAnyValue match any value of the same code.
bool sameFrames(const std::vector<Frame>& expected, const std::vector<Frame>& actual,
                std::string& difference);

// A looser comparison for devices whose frame boundaries are the writer's choice:
// every expected frame must be contained (its events a subset, wildcards allowed) in
// its own actual frame, in order; actual frames in between are allowed.
bool framesContainInOrder(const std::vector<Frame>& expected, const std::vector<Frame>& actual,
                          std::string& difference);

}  // namespace drawlume::e2e
