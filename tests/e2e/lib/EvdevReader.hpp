#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Deadline.hpp"
#include "Frame.hpp"

namespace drawlume::e2e {

// Reads an evdev node frame by frame, every read bounded by a deadline: the input
// core drops repeated values and never delivers an empty frame, so "nothing came" is
// an answer only a time-out can give.
class EvdevReader {
public:
    enum class Status {
        Complete,  // the asked-for frames arrived (or the node fell quiet)
        TimedOut,  // the deadline passed first
        Removed,   // the device went away (ENODEV); the frames before are kept
        Overflow,  // the kernel's buffer overflowed (SYN_DROPPED): frames were lost
        Failed,    // any other error
    };

    struct Filter {
        bool keepMsc = false;      // MSC_SCAN and friends, which only hid-input sends
        bool keepRepeats = false;  // key value 2: autorepeat of a held key
    };

    EvdevReader() = default;
    ~EvdevReader();
    EvdevReader(const EvdevReader&) = delete;
    EvdevReader& operator=(const EvdevReader&) = delete;

    bool open(const std::string& node, std::string& error);
    void close();
    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    const std::string& node() const { return node_; }

    // EVIOCGRAB: while held, no other reader of the node gets events. Returns the
    // errno of a refused grab (EBUSY: someone else holds it), 0 on success.
    int grab();
    int ungrab();

    void setFilter(Filter filter) { filter_ = filter; }

    // Reads until `count` frames have arrived.
    Status readFrames(size_t count, const Deadline& deadline, std::vector<Frame>& frames,
                      std::string& error);

    // Reads until no event arrives for `quietMs`.
    Status readUntilQuiet(int quietMs, const Deadline& deadline, std::vector<Frame>& frames,
                          std::string& error);

    // The keys and buttons the device holds down now (EVIOCGKEY), in code order.
    bool heldKeys(std::vector<uint16_t>& codes, std::string& error) const;

    // Drops whatever is queued now.
    void discardPending();

    // The kernel's time stamp of the last completed frame, CLOCK_MONOTONIC ns.
    int64_t lastFrameTimeNs() const { return lastFrameTimeNs_; }

private:
    // One poll and one read; appends completed frames.
    Status readOnce(int timeoutMs, std::vector<Frame>& frames, bool& gotSomething,
                    std::string& error);

    int fd_ = -1;
    std::string node_;
    Filter filter_;
    Frame partial_;
    int64_t lastFrameTimeNs_ = 0;
};

const char* statusName(EvdevReader::Status status);

// "KEY_A BTN_TOUCH", or "nothing".
std::string describeKeys(const std::vector<uint16_t>& codes);

}  // namespace drawlume::e2e
