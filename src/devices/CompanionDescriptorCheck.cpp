#include "devices/CompanionDescriptorCheck.hpp"

#include <algorithm>

#include "input/CompanionReportLayout.hpp"
#include "util/TextFormat.hpp"

namespace drawlume {

namespace {

using companion::ReadField;
using companion::ReportLayout;

// The Input item of `reportID` that holds bit `bit` of the report's data.
const ReportField* fieldAt(const ReportDescriptor& descriptor, uint8_t reportID, uint32_t bit) {
    for (const ReportField& field : descriptor.inputFields) {
        const uint64_t end = field.bitOffset + static_cast<uint64_t>(field.bitSize) * field.count;
        if (field.reportID == reportID && field.bitSize > 0 && bit >= field.bitOffset &&
            bit < end) {
            return &field;
        }
    }
    return nullptr;
}

bool declaresPage(const ReportField& field, uint32_t usagePage) {
    return std::any_of(
        field.usages.begin(), field.usages.end(),
        [usagePage](const HidUsageRange& range) { return range.usagePage == usagePage; });
}

// Whether every value of `read` lies where the translation reads it.
bool holds(const ReportDescriptor& descriptor, uint8_t reportID, const ReadField& read) {
    const uint32_t firstBit = (read.byte - 1) * 8 + read.bit;
    for (uint32_t k = 0; k < read.usageCount; ++k) {
        const uint32_t bit = firstBit + k * read.bitSize;
        const ReportField* field = fieldAt(descriptor, reportID, bit);
        if (field == nullptr || field->constant || field->variable != read.variable ||
            field->bitSize != read.bitSize || (bit - field->bitOffset) % field->bitSize != 0) {
            return false;
        }
        if (!read.variable) {
            if (!declaresPage(*field, read.usagePage)) {
                return false;
            }
            continue;
        }
        const uint32_t index = (bit - field->bitOffset) / field->bitSize;
        if (field->usageOf(index) != HidUsage{read.usagePage, read.usage + k}) {
            return false;
        }
    }
    return true;
}

std::string missingReport(const ReportLayout& layout) {
    if (layout.maximumLength == layout.minimumLength + 1) {
        return strf("no %u- or %u-byte %s report %u", layout.minimumLength, layout.maximumLength,
                    layout.name, layout.reportID);
    }
    return strf("no %u-byte %s report %u", layout.minimumLength, layout.name, layout.reportID);
}

std::optional<std::string> reportMismatch(const ReportDescriptor& descriptor,
                                          const ReportLayout& layout) {
    const uint32_t length =
        descriptor.usesReportIDs ? descriptor.inputReportSize(layout.reportID) : 0;
    if (length < layout.minimumLength || length > layout.maximumLength) {
        return missingReport(layout);
    }
    for (const ReadField& read : layout.fields) {
        if (!holds(descriptor, layout.reportID, read)) {
            return strf("%s report %u has no %u-bit %s at byte %u", layout.name, layout.reportID,
                        read.bitSize, read.name, read.byte);
        }
    }
    if (layout.reportID == companion::kMouseReportID &&
        length == companion::kLongMouseReportLength &&
        !holds(descriptor, layout.reportID, companion::kMousePanField)) {
        return strf("mouse report %u has no 8-bit %s at byte %u", layout.reportID,
                    companion::kMousePanField.name, companion::kMousePanField.byte);
    }
    return std::nullopt;
}

// Whether every field of the pen report lies in a pen application collection.
bool penReportInPenCollection(const ReportDescriptor& descriptor) {
    const HidUsage pen{companion::usage::kDigitizerPage, 0x02};
    bool any = false;
    for (const ReportField& field : descriptor.inputFields) {
        if (field.reportID != companion::kPenReportID) {
            continue;
        }
        any = true;
        if (field.application >= descriptor.applicationCollections.size() ||
            descriptor.applicationCollections[field.application] != pen) {
            return false;
        }
    }
    return any;
}

}  // namespace

std::optional<std::string> companionMismatch(const ReportDescriptor& descriptor) {
    if (auto mismatch = reportMismatch(descriptor, companion::kPenReport)) {
        return mismatch;
    }
    if (!penReportInPenCollection(descriptor)) {
        return strf("pen report %u lies outside the pen collection", companion::kPenReportID);
    }
    if (auto mismatch = reportMismatch(descriptor, companion::kMouseReport)) {
        return mismatch;
    }
    return reportMismatch(descriptor, companion::kKeyboardReport);
}

}  // namespace drawlume
