#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "devices/ReportDescriptor.hpp"

namespace drawlume {

// One input report of a recording, with its time since the recording began.
struct RecordedReport {
    int64_t microseconds = 0;
    std::vector<uint8_t> bytes;
};

// One device of a recording: who it said it was and what it sent.
struct RecordedDevice {
    uint32_t index = 0;  // the D: number, where a file holds several devices
    std::vector<uint8_t> descriptorBytes;
    ReportDescriptor descriptor;
    std::string name;
    std::string physicalPath;
    uint32_t bus = 0;
    uint32_t vendorID = 0;
    uint32_t productID = 0;
    std::vector<RecordedReport> reports;
};

// A recorded session as hid-recorder writes it, one file.
struct HidRecording {
    std::string source;  // the file it was read from, for messages
    std::vector<RecordedDevice> devices;
};

}  // namespace drawlume
