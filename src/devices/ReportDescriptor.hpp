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

// The usages one Usage item (first == last) or one Usage Minimum/Maximum pair
// declares, on one page; never empty (first <= last).
struct HidUsageRange {
    uint32_t usagePage = 0;
    uint32_t first = 0;
    uint32_t last = 0;
};

// One Input main item: `count` fields of `bitSize` bits each, starting
// `bitOffset` bits into the report's data (after the ID byte where IDs are
// used).
struct ReportField {
    uint8_t reportID = 0;
    uint32_t bitOffset = 0;
    uint32_t bitSize = 0;
    uint32_t count = 0;
    bool constant = false;
    // Each field is a value of its own usage; otherwise the fields form an
    // array of usage indices into `usages`.
    bool variable = false;
    // Index into ReportDescriptor::applicationCollections of the top-level
    // collection the item lies in; none when it lies outside every one.
    static constexpr size_t kNoCollection = SIZE_MAX;
    size_t application = kNoCollection;
    // The usages declared for the item, in order.
    std::vector<HidUsageRange> usages;

    // The usage of field `index` of a variable item: the declared usages in
    // order, the last one repeated for fields beyond them (as the HID class
    // definition has it); usage 0 where none was declared.
    HidUsage usageOf(uint32_t index) const {
        for (const HidUsageRange& range : usages) {
            const uint32_t span = range.last - range.first + 1;
            if (index < span) {
                return {range.usagePage, range.first + index};
            }
            index -= span;
        }
        return usages.empty() ? HidUsage{} : HidUsage{usages.back().usagePage, usages.back().last};
    }
};

// What a report descriptor says that the host layer needs: which top-level
// application collections the device presents, how large its input reports
// are, and where each input field lies.
struct ReportDescriptor {
    // Top-level application collections, in descriptor order.
    std::vector<HidUsage> applicationCollections;
    // Report IDs that carry input, ascending; empty for a device without IDs.
    std::vector<uint8_t> inputReportIDs;
    bool usesReportIDs = false;
    // Bytes of the longest input report, with the ID byte where IDs are used.
    uint32_t maxInputReportSize = 0;
    // Every Input item, in descriptor order.
    std::vector<ReportField> inputFields;

    bool hasApplicationCollection(uint32_t usagePage, uint32_t usage) const {
        return std::find(applicationCollections.begin(), applicationCollections.end(),
                         HidUsage{usagePage, usage}) != applicationCollections.end();
    }

    // Bytes of input report `reportID`, with its ID byte where IDs are used;
    // 0 when the descriptor declares no input with that ID.
    uint32_t inputReportSize(uint8_t reportID) const {
        uint64_t bits = 0;
        for (const ReportField& field : inputFields) {
            if (field.reportID == reportID) {
                bits = std::max(bits, static_cast<uint64_t>(field.bitOffset) +
                                          static_cast<uint64_t>(field.bitSize) * field.count);
            }
        }
        return bits == 0 ? 0 : static_cast<uint32_t>((bits + 7) / 8) + (usesReportIDs ? 1 : 0);
    }
};

}  // namespace drawlume
