#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "devices/ReportDescriptor.hpp"

namespace drawlume {

// Reads a HID report descriptor item by item, as the HID class definition's
// item tables define them, and keeps what ReportDescriptor holds. The limits
// are the Linux HID core's, so that a descriptor accepted here is one the
// kernel accepts too; anything beyond them is rejected with the offset of the
// item at fault.
class ReportDescriptorParser {
public:
    static constexpr size_t kMaximumDescriptorSize = 4096;
    static constexpr uint32_t kMaximumReportSize = 256;     // bits per field
    static constexpr uint32_t kMaximumReportCount = 12288;  // fields per item
    static constexpr uint32_t kMaximumReportBytes = 16383;  // one report, ID byte excluded
    static constexpr size_t kGlobalStackDepth = 4;

    struct Result {
        std::optional<ReportDescriptor> descriptor;
        // Where the descriptor is absent: the offset of the failing item, and why.
        size_t errorOffset = 0;
        std::string error;
    };

    static Result parse(std::span<const uint8_t> bytes);
};

}  // namespace drawlume
