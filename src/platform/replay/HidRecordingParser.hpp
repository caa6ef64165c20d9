#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/replay/HidRecording.hpp"

namespace drawlume {

// Reads hid-recorder's text format, one item per line:
//   D: 0                          device index, where a file holds several
//   R: 74 05 0d 09 02 ...         report descriptor: byte count (decimal), bytes in hex
//   N: Acme Companion             device name
//   P: bluetooth/aa:bb:cc         physical path
//   I: 5 1234 abcd                bus, vendor, product (hex)
//   E: 000000.004012 12 03 31 ... seconds.microseconds, byte count, report bytes
// Lines starting with '#' are comments, and so is a '#' after the numbers of
// an R:, I: or E: line (names may contain '#'). Anything the format does not
// allow is an error naming the line.
//
// A recording is bounded, so that a wrong file (a device node, a pipe, a
// log) is refused with a message instead of exhausting the memory: at most
// kMaximumFileBytes in all, kMaximumLineBytes a line (the longest report's
// E: line fits many times), kMaximumLines lines (over a quarter of an hour
// at a thousand reports a second).
class HidRecordingParser {
public:
    static constexpr size_t kMaximumFileBytes = 64 * 1024 * 1024;
    static constexpr size_t kMaximumLineBytes = 256 * 1024;
    static constexpr size_t kMaximumLines = 1000000;

    struct Result {
        std::optional<HidRecording> recording;
        std::string source;
        // Where the recording is absent: the 1-based line at fault (0 for a
        // file that cannot be read), and why.
        size_t errorLine = 0;
        std::string error;

        // "FILE:LINE: message", the form compilers use, for the user.
        std::string message() const;
    };

    static Result parse(std::string_view text, std::string source);
    static Result parseFile(const std::string& path);
};

}  // namespace drawlume
