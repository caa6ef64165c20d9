#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <span>

// Where the translation reads each value of the companion's three input
// reports. Byte offsets count from the report ID, which is byte 0. The
// descriptor check of the device layer reads the same table, so a device is
// taken for the companion only when the translation would read it right.
namespace drawlume::companion {

// One value, or a run of values with consecutive usages, that the translation
// reads: `usageCount` fields of `bitSize` bits from bit `bit` of `byte`,
// declared with the usages `usage`, `usage + 1`, ... of `usagePage`. An array
// field (`variable` false) holds usage indices of that page instead.
struct ReadField {
    const char* name;
    uint32_t usagePage;
    uint32_t usage;
    uint32_t usageCount;
    uint32_t byte;
    uint32_t bit;
    uint32_t bitSize;
    bool variable = true;
};

// One report: its ID, the lengths the translation accepts (with the ID
// byte), and what it reads.
struct ReportLayout {
    const char* name;
    uint8_t reportID;
    uint32_t minimumLength;
    uint32_t maximumLength;
    std::span<const ReadField> fields;
};

// The digitizer (pen) report: flags, x, y, pressure, tilt x, tilt y, twist.
inline constexpr uint8_t kPenReportID = 3;
inline constexpr uint32_t kPenReportLength = 12;
inline constexpr uint32_t kPenFlagsByte = 1;
inline constexpr uint8_t kPenTipBit = 0x01;
inline constexpr uint8_t kPenBarrelBit = 0x02;
inline constexpr uint8_t kPenInvertBit = 0x04;
inline constexpr uint8_t kPenEraserBit = 0x08;
inline constexpr uint8_t kPenInRangeBit = 0x10;
inline constexpr uint32_t kPenXByte = 2;
inline constexpr uint32_t kPenYByte = 4;
inline constexpr uint32_t kPenPressureByte = 6;
inline constexpr uint32_t kPenTiltXByte = 8;
inline constexpr uint32_t kPenTiltYByte = 9;
inline constexpr uint32_t kPenTwistByte = 10;

// The mouse report: buttons, x, y, vertical wheel; the long form adds a
// horizontal wheel.
inline constexpr uint8_t kMouseReportID = 1;
inline constexpr uint32_t kShortMouseReportLength = 5;
inline constexpr uint32_t kLongMouseReportLength = 6;
inline constexpr uint32_t kMouseButtonsByte = 1;
inline constexpr uint8_t kMouseLeftBit = 0x01;
inline constexpr uint8_t kMouseRightBit = 0x02;
inline constexpr uint8_t kMouseMiddleBit = 0x04;
inline constexpr uint32_t kMouseXByte = 2;
inline constexpr uint32_t kMouseYByte = 3;
inline constexpr uint32_t kMouseWheelByte = 4;
inline constexpr uint32_t kMousePanByte = 5;

// The keyboard report: modifiers, a reserved byte, six key usages.
inline constexpr uint8_t kKeyboardReportID = 2;
inline constexpr uint32_t kKeyboardReportLength = 9;
inline constexpr uint32_t kKeyboardModifiersByte = 1;
inline constexpr uint32_t kKeyboardFirstKeyByte = 3;
inline constexpr uint32_t kKeyboardKeyCount = 6;

constexpr uint32_t bitOf(uint8_t mask) {
    return static_cast<uint32_t>(std::countr_zero(mask));
}

namespace usage {
inline constexpr uint32_t kGenericDesktopPage = 0x01;
inline constexpr uint32_t kKeyboardPage = 0x07;
inline constexpr uint32_t kButtonPage = 0x09;
inline constexpr uint32_t kConsumerPage = 0x0C;
inline constexpr uint32_t kDigitizerPage = 0x0D;
}  // namespace usage

inline constexpr std::array<ReadField, 11> kPenFields = {{
    {"tip switch", usage::kDigitizerPage, 0x42, 1, kPenFlagsByte, bitOf(kPenTipBit), 1},
    {"barrel switch", usage::kDigitizerPage, 0x44, 1, kPenFlagsByte, bitOf(kPenBarrelBit), 1},
    {"invert", usage::kDigitizerPage, 0x3C, 1, kPenFlagsByte, bitOf(kPenInvertBit), 1},
    {"eraser", usage::kDigitizerPage, 0x45, 1, kPenFlagsByte, bitOf(kPenEraserBit), 1},
    {"in range", usage::kDigitizerPage, 0x32, 1, kPenFlagsByte, bitOf(kPenInRangeBit), 1},
    {"x", usage::kGenericDesktopPage, 0x30, 1, kPenXByte, 0, 16},
    {"y", usage::kGenericDesktopPage, 0x31, 1, kPenYByte, 0, 16},
    {"tip pressure", usage::kDigitizerPage, 0x30, 1, kPenPressureByte, 0, 16},
    {"x tilt", usage::kDigitizerPage, 0x3D, 1, kPenTiltXByte, 0, 8},
    {"y tilt", usage::kDigitizerPage, 0x3E, 1, kPenTiltYByte, 0, 8},
    {"twist", usage::kDigitizerPage, 0x41, 1, kPenTwistByte, 0, 16},
}};

// The horizontal wheel is read only from the long form; the check asks for
// it only there.
inline constexpr std::array<ReadField, 4> kMouseFields = {{
    {"buttons 1 to 3", usage::kButtonPage, 0x01, 3, kMouseButtonsByte, 0, 1},
    {"x", usage::kGenericDesktopPage, 0x30, 1, kMouseXByte, 0, 8},
    {"y", usage::kGenericDesktopPage, 0x31, 1, kMouseYByte, 0, 8},
    {"wheel", usage::kGenericDesktopPage, 0x38, 1, kMouseWheelByte, 0, 8},
}};
inline constexpr ReadField kMousePanField = {
    "horizontal wheel", usage::kConsumerPage, 0x238, 1, kMousePanByte, 0, 8};

inline constexpr std::array<ReadField, 2> kKeyboardFields = {{
    {"modifiers", usage::kKeyboardPage, 0xE0, 8, kKeyboardModifiersByte, 0, 1},
    {"keys", usage::kKeyboardPage, 0x00, kKeyboardKeyCount, kKeyboardFirstKeyByte, 0, 8, false},
}};

inline constexpr ReportLayout kPenReport{"pen", kPenReportID, kPenReportLength, UINT32_MAX,
                                         kPenFields};
inline constexpr ReportLayout kMouseReport{"mouse", kMouseReportID, kShortMouseReportLength,
                                           kLongMouseReportLength, kMouseFields};
inline constexpr ReportLayout kKeyboardReport{"keyboard", kKeyboardReportID, kKeyboardReportLength,
                                              UINT32_MAX, kKeyboardFields};

}  // namespace drawlume::companion
