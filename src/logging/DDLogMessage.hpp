#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace drawlume {

// The record handed to every logger. The source path and function name are
// string literals from the call site and live as long as the program.
struct DDLogMessage {
    // The text is moved into the record, never copied again.
    static constexpr uint32_t DDLogMessageDontCopyMessage = 4;

    std::string message;
    uint32_t level = 0;
    uint32_t flag = 0;
    int context = 0;
    std::string_view file;
    std::string_view fileName;
    std::string_view function;
    unsigned line = 0;
    std::string_view tag;
    uint32_t options = DDLogMessageDontCopyMessage;
    std::chrono::system_clock::time_point timestamp;
    uint64_t threadID = 0;
    std::string queueLabel;

    // Fills the caller's identity (thread, queue) and the time of the call.
    static DDLogMessage make(std::string text, uint32_t level, uint32_t flag, std::string_view file,
                             std::string_view function, unsigned line);
};

// The last path component of a source path: "Module/TabletDeviceManager" -> "TabletDeviceManager".
std::string_view logFileNameOf(std::string_view file);

}  // namespace drawlume
