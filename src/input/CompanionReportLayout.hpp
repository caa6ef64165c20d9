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

// The values of one report, for whoever plays the companion (fakes, tests,
// benchmarks, the test VM's simulated device): encode() lays them out as the
// translation reads them.
struct PenReport {
    bool tip = false;
    bool barrel = false;
    bool invert = false;
    bool eraser = false;
    bool inRange = false;
    uint16_t x = 0;
    uint16_t y = 0;
    uint16_t pressure = 0;
    int8_t tiltX = 0;
    int8_t tiltY = 0;
    uint16_t twist = 0;
};

// The long form, with the horizontal wheel.
struct MouseReport {
    bool left = false;
    bool right = false;
    bool middle = false;
    int8_t dx = 0;
    int8_t dy = 0;
    int8_t wheel = 0;
    int8_t pan = 0;
};

struct KeyboardReport {
    uint8_t modifiers = 0;
    // Key usages of the Keyboard/Keypad page; 0 where no key is down.
    std::array<uint8_t, kKeyboardKeyCount> keys{};
};

namespace detail {
constexpr void putLittle16(uint8_t* out, uint16_t value) {
    out[0] = static_cast<uint8_t>(value & 0xFF);
    out[1] = static_cast<uint8_t>(value >> 8);
}
}  // namespace detail

constexpr std::array<uint8_t, kPenReportLength> encode(const PenReport& pen) {
    std::array<uint8_t, kPenReportLength> out{};
    out[0] = kPenReportID;
    out[kPenFlagsByte] =
        static_cast<uint8_t>((pen.tip ? kPenTipBit : 0) | (pen.barrel ? kPenBarrelBit : 0) |
                             (pen.invert ? kPenInvertBit : 0) | (pen.eraser ? kPenEraserBit : 0) |
                             (pen.inRange ? kPenInRangeBit : 0));
    detail::putLittle16(&out[kPenXByte], pen.x);
    detail::putLittle16(&out[kPenYByte], pen.y);
    detail::putLittle16(&out[kPenPressureByte], pen.pressure);
    out[kPenTiltXByte] = static_cast<uint8_t>(pen.tiltX);
    out[kPenTiltYByte] = static_cast<uint8_t>(pen.tiltY);
    detail::putLittle16(&out[kPenTwistByte], pen.twist);
    return out;
}

constexpr std::array<uint8_t, kLongMouseReportLength> encode(const MouseReport& mouse) {
    std::array<uint8_t, kLongMouseReportLength> out{};
    out[0] = kMouseReportID;
    out[kMouseButtonsByte] =
        static_cast<uint8_t>((mouse.left ? kMouseLeftBit : 0) | (mouse.right ? kMouseRightBit : 0) |
                             (mouse.middle ? kMouseMiddleBit : 0));
    out[kMouseXByte] = static_cast<uint8_t>(mouse.dx);
    out[kMouseYByte] = static_cast<uint8_t>(mouse.dy);
    out[kMouseWheelByte] = static_cast<uint8_t>(mouse.wheel);
    out[kMousePanByte] = static_cast<uint8_t>(mouse.pan);
    return out;
}

constexpr std::array<uint8_t, kKeyboardReportLength> encode(const KeyboardReport& keyboard) {
    std::array<uint8_t, kKeyboardReportLength> out{};
    out[0] = kKeyboardReportID;
    out[kKeyboardModifiersByte] = keyboard.modifiers;
    for (uint32_t i = 0; i < kKeyboardKeyCount; ++i) {
        out[kKeyboardFirstKeyByte + i] = keyboard.keys[i];
    }
    return out;
}

}  // namespace drawlume::companion
