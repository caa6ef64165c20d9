#include <cstdint>
#include <optional>
#include <span>

#include <gtest/gtest.h>

#include "TestData.hpp"
#include "devices/ReportDescriptorParser.hpp"
#include "input/CompanionReportLayout.hpp"

namespace drawlume::testing {
namespace {

using namespace companion;

// A value of an encoded report, read where the companion's own descriptor
// (tests/data) declares the field of that usage: the layout the translation
// and the encoders share must be the descriptor's.
class DescriptorReader {
public:
    DescriptorReader() {
        auto parsed = ReportDescriptorParser::parse(companionDescriptorBytes());
        EXPECT_TRUE(parsed.descriptor) << parsed.error;
        descriptor_ = parsed.descriptor.value_or(ReportDescriptor{});
    }

    std::optional<int64_t> read(std::span<const uint8_t> report, HidUsage usage) const {
        for (const ReportField& field : descriptor_.inputFields) {
            if (field.reportID != report[0] || field.constant) {
                continue;
            }
            for (uint32_t i = 0; i < field.count; ++i) {
                if (!field.variable && field.usages.front().usagePage == usage.usagePage &&
                    usage.usage == 0) {
                    return bits(report, field.bitOffset + i * field.bitSize, field.bitSize);
                }
                if (field.variable && field.usageOf(i) == usage) {
                    return bits(report, field.bitOffset + i * field.bitSize, field.bitSize);
                }
            }
        }
        return std::nullopt;
    }

private:
    // Little-endian bits after the ID byte, sign-extended from 8 bits (the
    // descriptor's relative and tilt values are the only 8-bit signed ones read).
    static int64_t bits(std::span<const uint8_t> report, uint32_t offset, uint32_t size) {
        uint64_t value = 0;
        for (uint32_t bit = 0; bit < size; ++bit) {
            const uint32_t at = offset + bit;
            value |= static_cast<uint64_t>((report[1 + at / 8] >> (at % 8)) & 1) << bit;
        }
        return size == 8 ? static_cast<int8_t>(value) : static_cast<int64_t>(value);
    }

    ReportDescriptor descriptor_;
};

TEST(CompanionReportLayoutTest, EncodedReportsReadBackThroughTheCompanionsDescriptor) {
    const DescriptorReader reader;
    const auto pen =
        encode(PenReport{true, false, true, false, true, 0x1234, 0x7FFE, 0x0102, -90, 45, 359});
    const struct {
        HidUsage usage;
        int64_t value;
    } penValues[] = {{{0x0D, 0x42}, 1},      {{0x0D, 0x44}, 0},      {{0x0D, 0x3C}, 1},
                     {{0x0D, 0x45}, 0},      {{0x0D, 0x32}, 1},      {{0x01, 0x30}, 0x1234},
                     {{0x01, 0x31}, 0x7FFE}, {{0x0D, 0x30}, 0x0102}, {{0x0D, 0x3D}, -90},
                     {{0x0D, 0x3E}, 45},     {{0x0D, 0x41}, 359}};
    for (const auto& expected : penValues) {
        EXPECT_EQ(reader.read(pen, expected.usage), expected.value)
            << "pen usage 0x" << std::hex << expected.usage.usage;
    }

    const auto mouse = encode(MouseReport{false, true, true, -3, 127, -128, 5});
    EXPECT_EQ(reader.read(mouse, {0x09, 1}), 0);
    EXPECT_EQ(reader.read(mouse, {0x09, 2}), 1);
    EXPECT_EQ(reader.read(mouse, {0x09, 3}), 1);
    EXPECT_EQ(reader.read(mouse, {0x01, 0x30}), -3);
    EXPECT_EQ(reader.read(mouse, {0x01, 0x31}), 127);
    EXPECT_EQ(reader.read(mouse, {0x01, 0x38}), -128);
    EXPECT_EQ(reader.read(mouse, {0x0C, 0x238}), 5);

    KeyboardReport keys;
    keys.modifiers = 0x22;  // left and right shift
    keys.keys = {0x04, 0, 0, 0, 0, 0};
    const auto keyboard = encode(keys);
    EXPECT_EQ(reader.read(keyboard, {0x07, 0xE1}), 1);
    EXPECT_EQ(reader.read(keyboard, {0x07, 0xE5}), 1);
    EXPECT_EQ(reader.read(keyboard, {0x07, 0xE0}), 0);
    EXPECT_EQ(reader.read(keyboard, {0x07, 0}), 0x04);  // the first key slot
}

}  // namespace
}  // namespace drawlume::testing
