// The keyboard: modifier keys from the modifier byte, then key-downs, then
// key-ups, each against the previous report.

#include <array>
#include <string>

#include "input/CompanionReportLayout.hpp"
#include "input/InputReportHandler.hpp"
#include "logging/LogMacros.hpp"

namespace drawlume {

namespace {
constexpr const char* kLogFile = "Drawlume___Bluetooth_Agent/InputReportHandler";
constexpr const char* kFunction = "handleKeyboardInputReport(report:reportLength:)";

using namespace companion;

// Virtual key codes of the usages 0x04 to 0x63 of the Keyboard/Keypad page;
// kNoKey marks the five usages in that range without one.
constexpr uint16_t kNoKey = 0xFFFF;
constexpr uint8_t kFirstMappedUsage = 0x04;
constexpr std::array<uint16_t, 96> kKeyCodes = {
    // a to z
    0, 11, 8, 2, 14, 3, 5, 4, 34, 38, 40, 37, 46, 45, 31, 35, 12, 15, 1, 17, 32, 9, 13, 7, 16, 6,
    // 1 to 9, 0
    18, 19, 20, 21, 23, 22, 26, 28, 25, 29,
    // Return, Escape, Backspace, Tab, Space, - = [ ] backslash, non-US #, ; ' ` , . /, Caps Lock
    36, 53, 51, 48, 49, 27, 24, 33, 30, 42, kNoKey, 41, 39, 50, 43, 47, 44, kNoKey,
    // F1 to F12
    122, 120, 99, 118, 96, 97, 98, 100, 101, 109, 103, 111,
    // Print Screen, Scroll Lock, Pause
    kNoKey, kNoKey, kNoKey,
    // Insert, Home, Page Up, Delete Forward, End, Page Down, Right, Left, Down, Up
    114, 115, 116, 117, 119, 121, 124, 123, 125, 126,
    // Keypad: Num Lock, / * - + Enter, 1 to 9, 0, .
    71, 75, 67, 78, 69, 76, 83, 84, 85, 86, 87, 88, 89, 91, 92, 82, 65};

// Per modifier bit, from bit 0: its key code, log suffix and summary name.
struct ModifierKey {
    uint16_t keyCode;
    const char* logSuffix;
    const char* name;
};
constexpr std::array<ModifierKey, 8> kModifierKeys = {{
    {59, ": Left Control", "LCtrl"},
    {56, ": Left Shift", "LShift"},
    {58, ": Left Alt/Option", "LAlt"},
    {55, ": Left Command", "LGui"},
    {62, ": Right Control", "RCtrl"},
    {60, ": Right Shift", "RShift"},
    {61, ": Right Alt/Option", "RAlt"},
    {54, ": Right Command", "RGui"},
}};

std::string modifierSummary(uint8_t modifiers) {
    std::string summary;
    for (size_t bit = 0; bit < kModifierKeys.size(); ++bit) {
        if ((modifiers & (1u << bit)) != 0) {
            summary += summary.empty() ? "" : ", ";
            summary += kModifierKeys[bit].name;
        }
    }
    return summary.empty() ? "none" : summary;
}

std::string keySummary(const HeldKeys& keys) {
    std::string summary;
    for (const uint8_t usage : keys) {
        summary += summary.empty() ? "" : ", ";
        summary += strf("0x%02X", static_cast<unsigned>(usage));
    }
    return summary.empty() ? "none" : summary;
}
}  // namespace

std::optional<uint16_t> InputReportHandler::keyCode(uint8_t usage) {
    if (usage < kFirstMappedUsage || usage >= kFirstMappedUsage + kKeyCodes.size()) {
        return std::nullopt;
    }
    const uint16_t code = kKeyCodes[usage - kFirstMappedUsage];
    if (code == kNoKey) {
        return std::nullopt;
    }
    return code;
}

void InputReportHandler::handleKeyboardInputReport(const uint8_t* report, int64_t reportLength) {
    if (report == nullptr || reportLength < kKeyboardReportLength) {
        DDLogError(kFunction, strf("ERROR: Invalid keyboard report (length=%lld)",
                                   static_cast<long long>(reportLength)));
        return;
    }
    const uint8_t modifiers = report[kKeyboardModifiersByte];
    HeldKeys current;
    for (uint32_t i = kKeyboardFirstKeyByte; i < kKeyboardFirstKeyByte + kKeyboardKeyCount; ++i) {
        current.insert(report[i]);
    }
    DDLogDebug(kFunction, "Keyboard: modifiers=[" + modifierSummary(modifiers) + "] keys=[" +
                              keySummary(current) + "]");

    if (modifiers != previousModifiers_) {
        handleModifierChanges(previousModifiers_, modifiers);
        previousModifiers_ = modifiers;
    }

    // All key-downs before any key-up, each in ascending usage order. A usage
    // without a key code is still remembered, so its release is reported too.
    for (const uint8_t usage : current) {
        if (!previousKeyCodes_.contains(usage)) {
            postKey(usage, true, modifiers);
        }
    }
    for (const uint8_t usage : previousKeyCodes_) {
        if (!current.contains(usage)) {
            postKey(usage, false, modifiers);
        }
    }
    previousKeyCodes_ = current;
}

void InputReportHandler::postKey(uint8_t usage, bool down, uint8_t modifiers) {
    const char* prefix = down ? "  Key DOWN: HID=0x" : "  Key UP: HID=0x";
    const std::optional<uint16_t> code = keyCode(usage);
    if (!code) {
        DDLogWarn(kFunction, strf("%s%02X -> unmapped", prefix, static_cast<unsigned>(usage)));
        return;
    }
    DDLogDebug(kFunction, strf("%s%02X -> CG=%u", prefix, static_cast<unsigned>(usage),
                               static_cast<unsigned>(*code)));
    eventGenerator_->postKeyboardEvent(*code, down, modifiers);
}

void InputReportHandler::handleModifierChanges(uint8_t previous, uint8_t current) {
    const uint8_t changed = previous ^ current;
    for (size_t bit = 0; bit < kModifierKeys.size(); ++bit) {
        if ((changed & (1u << bit)) == 0) {
            continue;
        }
        const bool down = (current & (1u << bit)) != 0;
        DDLogDebug(
            "handleModifierChanges(previous:current:)",
            std::string("  Modifier ") + (down ? "DOWN" : "UP") + kModifierKeys[bit].logSuffix);
        eventGenerator_->postKeyboardEvent(kModifierKeys[bit].keyCode, down, current);
    }
}

}  // namespace drawlume
