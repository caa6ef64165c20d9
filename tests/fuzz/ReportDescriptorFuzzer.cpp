#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "devices/CompanionDescriptorCheck.hpp"
#include "devices/ReportDescriptorParser.hpp"

// Any byte string: parsed or rejected, never read past its end, and an
// accepted descriptor's figures stay within the limits it enforces; the
// companion check answers for every accepted one.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto result = drawlume::ReportDescriptorParser::parse(std::span(data, size));
    if (result.descriptor) {
        if (result.descriptor->maxInputReportSize >
            drawlume::ReportDescriptorParser::kMaximumReportBytes + 1) {
            std::abort();
        }
        for (const auto& field : result.descriptor->inputFields) {
            if (field.usageOf(field.count).usagePage > 0xFFFF) {
                std::abort();
            }
        }
        (void)drawlume::companionMismatch(*result.descriptor);
    } else if (result.error.empty() || result.errorOffset > size) {
        std::abort();
    }
    return 0;
}
