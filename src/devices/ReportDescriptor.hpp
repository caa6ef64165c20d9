#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace drawlume {

// A usage with its page, as the HID usage tables number them.
struct HidUsage {
    uint32_t usagePage = 0;
    uint32_t usage = 0;
    bool operator==(const HidUsage&) const = default;
};

// What a report descriptor says that the host layer needs: which top-level
// application collections the device presents, and how large its input
// reports are.
struct ReportDescriptor {
    // Top-level application collections, in descriptor order.
    std::vector<HidUsage> applicationCollections;
    // Report IDs that carry input, ascending; empty for a device without IDs.
    std::vector<uint8_t> inputReportIDs;
    bool usesReportIDs = false;
    // Bytes of the longest input report, with the ID byte where IDs are used.
    uint32_t maxInputReportSize = 0;

    bool hasApplicationCollection(uint32_t usagePage, uint32_t usage) const {
        return std::find(applicationCollections.begin(), applicationCollections.end(),
                         HidUsage{usagePage, usage}) != applicationCollections.end();
    }
};

}  // namespace drawlume
