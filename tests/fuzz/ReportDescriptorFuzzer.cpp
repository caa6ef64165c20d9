#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "devices/ReportDescriptorParser.hpp"

// Any byte string: parsed or rejected, never read past its end, and an
// accepted descriptor's figures stay within the limits it enforces.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto result = drawlume::ReportDescriptorParser::parse(std::span(data, size));
    if (result.descriptor) {
        if (result.descriptor->maxInputReportSize >
            drawlume::ReportDescriptorParser::kMaximumReportBytes + 1) {
            std::abort();
        }
    } else if (result.error.empty() || result.errorOffset > size) {
        std::abort();
    }
    return 0;
}
