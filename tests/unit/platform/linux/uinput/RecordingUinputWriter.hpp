#pragma once

#include <memory>
#include <set>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include "platform/linux/uinput/UinputWriter.hpp"

namespace drawlume::testing {

// One frame as the kernel would receive it, without its closing SYN_REPORT.
struct WrittenFrame {
    UinputDeviceRole role = UinputDeviceRole::pen;
    std::vector<EvdevEvent> events;
    bool operator==(const WrittenFrame&) const = default;
};

inline void PrintTo(const EvdevEvent& event, std::ostream* out) {
    *out << " {" << event.type << ", " << event.code << ", " << event.value << "}";
}

inline void PrintTo(const WrittenFrame& frame, std::ostream* out) {
    *out << "[role " << static_cast<int>(frame.role) << ":";
    for (const EvdevEvent& event : frame.events) {
        PrintTo(event, out);
    }
    *out << "]";
}

// Shared between the writer the sink owns and the test that reads it.
struct WriterLog {
    std::vector<WrittenFrame> frames;

    // The frames written since the last call.
    std::vector<WrittenFrame> take() { return std::exchange(frames, {}); }
};

// Records every frame and checks that each is well formed: exactly one
// SYN_REPORT, at the end, and at most one transition per key in a frame
// (libinput drops a press and its release that share a frame).
class RecordingUinputWriter final : public UinputWriter {
public:
    explicit RecordingUinputWriter(std::shared_ptr<WriterLog> log) : log_(std::move(log)) {}

    int writeFrame(UinputDeviceRole role, std::span<const EvdevEvent> frame) noexcept override {
        EXPECT_FALSE(frame.empty());
        if (frame.empty()) {
            return 0;
        }
        EXPECT_EQ(frame.back(), (EvdevEvent{EV_SYN, SYN_REPORT, 0}));
        std::set<uint16_t> keys;
        WrittenFrame written{role, {}};
        for (size_t i = 0; i + 1 < frame.size(); ++i) {
            EXPECT_NE(frame[i].type, EV_SYN) << "a SYN inside a frame";
            if (frame[i].type == EV_KEY) {
                EXPECT_TRUE(keys.insert(frame[i].code).second)
                    << "key " << frame[i].code << " changes twice in one frame";
            }
            written.events.push_back(frame[i]);
        }
        EXPECT_FALSE(written.events.empty()) << "an empty frame";
        log_->frames.push_back(std::move(written));
        return 0;
    }

private:
    std::shared_ptr<WriterLog> log_;
};

inline WrittenFrame penFrame(std::vector<EvdevEvent> events) {
    return {UinputDeviceRole::pen, std::move(events)};
}
inline WrittenFrame pointerFrame(std::vector<EvdevEvent> events) {
    return {UinputDeviceRole::pointer, std::move(events)};
}
inline WrittenFrame keyboardFrame(std::vector<EvdevEvent> events) {
    return {UinputDeviceRole::keyboard, std::move(events)};
}

}  // namespace drawlume::testing
