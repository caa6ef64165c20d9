#include "devices/ReportDescriptorParser.hpp"

#include <algorithm>
#include <array>
#include <vector>

#include "util/TextFormat.hpp"

namespace drawlume {

namespace {

// Item types (bits 2-3 of the prefix byte).
constexpr uint8_t kItemTypeMain = 0;
constexpr uint8_t kItemTypeGlobal = 1;
constexpr uint8_t kItemTypeLocal = 2;
// The prefix that starts a long item: size, tag and data follow.
constexpr uint8_t kLongItemPrefix = 0xFE;

// Main item tags.
constexpr uint8_t kMainInput = 0x8;
constexpr uint8_t kMainOutput = 0x9;
constexpr uint8_t kMainCollection = 0xA;
constexpr uint8_t kMainFeature = 0xB;
constexpr uint8_t kMainEndCollection = 0xC;

// Global item tags.
constexpr uint8_t kGlobalUsagePage = 0x0;
constexpr uint8_t kGlobalUnit = 0x6;
constexpr uint8_t kGlobalReportSize = 0x7;
constexpr uint8_t kGlobalReportID = 0x8;
constexpr uint8_t kGlobalReportCount = 0x9;
constexpr uint8_t kGlobalPush = 0xA;
constexpr uint8_t kGlobalPop = 0xB;

// Local item tags.
constexpr uint8_t kLocalUsage = 0x0;
constexpr uint8_t kLocalUsageMinimum = 0x1;
constexpr uint8_t kLocalUsageMaximum = 0x2;

// Bits 0 and 1 of an Input item's data.
constexpr uint32_t kInputConstant = 0x1;
constexpr uint32_t kInputVariable = 0x2;

constexpr uint32_t kCollectionApplication = 0x01;

// The global items that later items depend on.
struct GlobalState {
    uint32_t usagePage = 0;
    uint32_t reportSize = 0;
    uint32_t reportID = 0;
    uint32_t reportCount = 0;
};

// A usage as declared: an extended (four-byte) usage carries its own page;
// a short one takes the page in force when it was declared, unless a later
// Usage Page item applies to it (see completeUsagePages).
struct DeclaredUsage {
    uint32_t value = 0;
    uint32_t page = 0;
    bool extended = false;
};

// The usages of one Usage item or one Usage Minimum/Maximum pair, as declared.
struct DeclaredRange {
    uint32_t first = 0;
    uint32_t last = 0;
    uint32_t page = 0;
    bool extended = false;
};

class Parser {
public:
    explicit Parser(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    ReportDescriptorParser::Result run() {
        if (bytes_.size() > ReportDescriptorParser::kMaximumDescriptorSize) {
            fail(0, strf("descriptor of %zu bytes is longer than %zu", bytes_.size(),
                         ReportDescriptorParser::kMaximumDescriptorSize));
            return std::move(result_);
        }
        while (offset_ < bytes_.size()) {
            if (!step()) {
                return std::move(result_);
            }
        }
        if (collectionDepth_ != 0) {
            fail(bytes_.size(), strf("%u collection(s) not closed at the end", collectionDepth_));
            return std::move(result_);
        }
        finish();
        return std::move(result_);
    }

private:
    // Reads one item at offset_ and advances past it; false on an error.
    bool step() {
        const uint8_t prefix = bytes_[offset_];
        if (prefix == kLongItemPrefix) {
            // No long item is defined by the HID tables: skip it whole.
            if (offset_ + 3 > bytes_.size()) {
                return fail(offset_, "truncated long item");
            }
            const size_t length = 3 + static_cast<size_t>(bytes_[offset_ + 1]);
            if (offset_ + length > bytes_.size()) {
                return fail(offset_, "truncated long item");
            }
            offset_ += length;
            return true;
        }
        const uint8_t sizeCode = prefix & 0x3;
        const size_t size = sizeCode == 3 ? 4 : sizeCode;
        if (offset_ + 1 + size > bytes_.size()) {
            return fail(offset_, strf("truncated item 0x%02X: %zu data byte(s) announced, %zu left",
                                      prefix, size, bytes_.size() - offset_ - 1));
        }
        uint32_t data = 0;
        for (size_t i = 0; i < size; ++i) {
            data |= static_cast<uint32_t>(bytes_[offset_ + 1 + i]) << (8 * i);
        }
        const uint8_t type = (prefix >> 2) & 0x3;
        const uint8_t tag = prefix >> 4;
        const size_t itemOffset = offset_;
        offset_ += 1 + size;
        switch (type) {
            case kItemTypeMain:
                return mainItem(itemOffset, tag, data);
            case kItemTypeGlobal:
                return globalItem(itemOffset, tag, data);
            case kItemTypeLocal:
                localItem(tag, data, size);
                return true;
            default:
                return true;  // reserved item type: ignored, as the kernel does
        }
    }

    bool mainItem(size_t itemOffset, uint8_t tag, uint32_t data) {
        switch (tag) {
            case kMainInput:
                if (!addInputField(itemOffset, data)) {
                    return false;
                }
                break;
            case kMainOutput:
            case kMainFeature:
                break;
            case kMainCollection:
                if (collectionDepth_ == 0) {
                    currentApplication_ = ReportField::kNoCollection;
                    if ((data & 0xFF) == kCollectionApplication) {
                        currentApplication_ = result_.descriptor->applicationCollections.size();
                        result_.descriptor->applicationCollections.push_back(collectionUsage());
                    }
                }
                ++collectionDepth_;
                break;
            case kMainEndCollection:
                if (collectionDepth_ == 0) {
                    return fail(itemOffset, "End Collection without an open collection");
                }
                if (--collectionDepth_ == 0) {
                    currentApplication_ = ReportField::kNoCollection;
                }
                break;
            default:
                break;  // reserved main item: ignored
        }
        // Local items apply to the next main item only.
        usages_.clear();
        usageMinimum_.reset();
        ranges_.clear();
        pendingMinimum_.reset();
        return true;
    }

    bool globalItem(size_t itemOffset, uint8_t tag, uint32_t data) {
        switch (tag) {
            case kGlobalUsagePage:
                global_.usagePage = data & 0xFFFF;
                return true;
            case kGlobalReportSize:
                if (data > ReportDescriptorParser::kMaximumReportSize) {
                    return fail(itemOffset, strf("Report Size %u is larger than %u bits", data,
                                                 ReportDescriptorParser::kMaximumReportSize));
                }
                global_.reportSize = data;
                return true;
            case kGlobalReportID:
                if (data == 0 || data > 255) {
                    return fail(itemOffset, strf("Report ID %u is outside 1 to 255", data));
                }
                global_.reportID = data;
                result_.descriptor->usesReportIDs = true;
                return true;
            case kGlobalReportCount:
                if (data > ReportDescriptorParser::kMaximumReportCount) {
                    return fail(itemOffset, strf("Report Count %u is larger than %u", data,
                                                 ReportDescriptorParser::kMaximumReportCount));
                }
                global_.reportCount = data;
                return true;
            case kGlobalPush:
                if (stackDepth_ == stack_.size()) {
                    return fail(itemOffset, strf("Push beyond a depth of %zu", stack_.size()));
                }
                stack_[stackDepth_++] = global_;
                return true;
            case kGlobalPop:
                if (stackDepth_ == 0) {
                    return fail(itemOffset, "Pop without a Push");
                }
                global_ = stack_[--stackDepth_];
                return true;
            default:
                // Logical and physical extents, unit exponent and unit: not needed here.
                if (tag <= kGlobalUnit) {
                    return true;
                }
                return fail(itemOffset, strf("reserved global item tag 0x%X", tag));
        }
    }

    void localItem(uint8_t tag, uint32_t data, size_t size) {
        const bool extended = size == 4;
        const DeclaredUsage usage{extended ? (data & 0xFFFF) : data,
                                  extended ? (data >> 16) : global_.usagePage, extended};
        if (tag == kLocalUsage) {
            usages_.push_back(usage);
            ranges_.push_back({usage.value, usage.value, usage.page, extended});
        } else if (tag == kLocalUsageMinimum) {
            if (!usageMinimum_) {
                usageMinimum_ = usage;
            }
            pendingMinimum_ = usage;
        } else if (tag == kLocalUsageMaximum && pendingMinimum_) {
            // The minimum's size decides the page, as the kernel has it.
            const uint32_t last = std::max(pendingMinimum_->value, usage.value);
            ranges_.push_back(
                {pendingMinimum_->value, last, pendingMinimum_->page, pendingMinimum_->extended});
            pendingMinimum_.reset();
        }
        // Usage Maximum, designators, strings and delimiters: not needed here.
    }

    // The usage that names a collection: its first Usage, else its Usage
    // Minimum. A short usage declared before the last Usage Page item takes
    // that page, unless a later usage already did (the kernel's rule, which
    // also covers descriptors that give the page after the usage).
    HidUsage collectionUsage() const {
        if (!usages_.empty()) {
            const DeclaredUsage& first = usages_.front();
            if (first.extended) {
                return {first.page, first.value};
            }
            for (size_t i = usages_.size(); i-- > 1;) {
                if (!usages_[i].extended && usages_[i].page == global_.usagePage) {
                    return {first.page, first.value};
                }
            }
            return {global_.usagePage, first.value};
        }
        if (usageMinimum_) {
            return {usageMinimum_->extended ? usageMinimum_->page : global_.usagePage,
                    usageMinimum_->value};
        }
        return {global_.usagePage, 0};
    }

    bool addInputField(size_t itemOffset, uint32_t data) {
        uint64_t& bits = inputBits_[global_.reportID];
        ReportField field;
        field.reportID = static_cast<uint8_t>(global_.reportID);
        field.bitOffset = static_cast<uint32_t>(bits);
        field.bitSize = global_.reportSize;
        field.count = global_.reportCount;
        field.constant = (data & kInputConstant) != 0;
        field.variable = (data & kInputVariable) != 0;
        field.application = currentApplication_;
        field.usages = completedRanges();
        bits += static_cast<uint64_t>(global_.reportSize) * global_.reportCount;
        if (bits > static_cast<uint64_t>(ReportDescriptorParser::kMaximumReportBytes) * 8) {
            return fail(itemOffset,
                        strf("input report %u is longer than %u bytes", global_.reportID,
                             ReportDescriptorParser::kMaximumReportBytes));
        }
        result_.descriptor->inputFields.push_back(std::move(field));
        return true;
    }

    // The item's usage ranges with their pages: short usages declared before
    // the last Usage Page item take that page, walking back until one already
    // has it (the kernel's rule, as for collections).
    std::vector<HidUsageRange> completedRanges() const {
        std::vector<HidUsageRange> ranges;
        ranges.reserve(ranges_.size());
        for (const DeclaredRange& range : ranges_) {
            ranges.push_back({range.page, range.first, range.last});
        }
        for (size_t i = ranges_.size(); i-- > 0;) {
            if (ranges_[i].extended) {
                continue;
            }
            if (ranges_[i].page == global_.usagePage) {
                break;
            }
            ranges[i].usagePage = global_.usagePage;
        }
        return ranges;
    }

    void finish() {
        ReportDescriptor& descriptor = *result_.descriptor;
        const uint32_t idByte = descriptor.usesReportIDs ? 1 : 0;
        for (uint32_t id = 0; id < inputBits_.size(); ++id) {
            if (inputBits_[id] == 0) {
                continue;
            }
            if (id != 0) {
                descriptor.inputReportIDs.push_back(static_cast<uint8_t>(id));
            }
            const auto bytes = static_cast<uint32_t>((inputBits_[id] + 7) / 8) + idByte;
            descriptor.maxInputReportSize = std::max(descriptor.maxInputReportSize, bytes);
        }
    }

    // Records the error; false, so that callers can return it.
    bool fail(size_t offset, std::string message) {
        result_.descriptor.reset();
        result_.errorOffset = offset;
        result_.error = std::move(message);
        return false;
    }

    std::span<const uint8_t> bytes_;
    size_t offset_ = 0;
    ReportDescriptorParser::Result result_{ReportDescriptor{}, 0, {}};
    GlobalState global_;
    std::array<GlobalState, ReportDescriptorParser::kGlobalStackDepth> stack_{};
    size_t stackDepth_ = 0;
    std::vector<DeclaredUsage> usages_;
    std::optional<DeclaredUsage> usageMinimum_;
    std::vector<DeclaredRange> ranges_;
    std::optional<DeclaredUsage> pendingMinimum_;
    uint32_t collectionDepth_ = 0;
    // The top-level application collection being read, if any.
    size_t currentApplication_ = ReportField::kNoCollection;
    std::array<uint64_t, 256> inputBits_{};
};

}  // namespace

ReportDescriptorParser::Result ReportDescriptorParser::parse(std::span<const uint8_t> bytes) {
    return Parser(bytes).run();
}

}  // namespace drawlume
