#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace drawlume::e2e {

// The companion's input reports, laid out as its descriptor declares them.

// Report ID 3, 12 bytes: switches (tip, barrel, invert, eraser, in range), x, y and
// pressure (16 bits each, little-endian), tilt x and y (signed degrees), twist (16 bits).
struct PenState {
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
constexpr size_t kPenReportSize = 12;
std::array<uint8_t, kPenReportSize> penReport(const PenState& pen);

// Report ID 1, 6 bytes: buttons (left, right, middle), x, y, wheel, pan (signed).
struct MouseState {
    bool left = false;
    bool right = false;
    bool middle = false;
    int8_t dx = 0;
    int8_t dy = 0;
    int8_t wheel = 0;
    int8_t pan = 0;
};
constexpr size_t kMouseReportSize = 6;
std::array<uint8_t, kMouseReportSize> mouseReport(const MouseState& mouse);

// Report ID 2, 9 bytes: modifier bits, a reserved byte, up to six key usages.
constexpr size_t kKeyboardReportSize = 9;
std::array<uint8_t, kKeyboardReportSize> keyboardReport(uint8_t modifiers,
                                                        const std::vector<uint8_t>& usages);

// Parses one line of a companion script into report bytes. The forms are
//   pen  [tip] [barrel] [invert] [eraser] [range] x=N y=N p=N tx=N ty=N twist=N
//   mouse [left] [right] [middle] dx=N dy=N wheel=N pan=N
//   keys [mods=0xNN] [usage...]         (usages in hex, at most six)
//   raw  HEX...                         (bytes as they are, report ID first)
// Returns false and sets `error` for anything else.
bool parseReportLine(const std::string& line, std::vector<uint8_t>& report, std::string& error);

}  // namespace drawlume::e2e
