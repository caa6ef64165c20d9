#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "input/CompanionReportLayout.hpp"

namespace drawlume::e2e {

// The companion's input reports, laid out by the same table the agent's translation
// reads them with.
using PenState = companion::PenReport;
using MouseState = companion::MouseReport;
constexpr size_t kPenReportSize = companion::kPenReportLength;
constexpr size_t kMouseReportSize = companion::kLongMouseReportLength;
constexpr size_t kKeyboardReportSize = companion::kKeyboardReportLength;

inline std::array<uint8_t, kPenReportSize> penReport(const PenState& pen) {
    return companion::encode(pen);
}
inline std::array<uint8_t, kMouseReportSize> mouseReport(const MouseState& mouse) {
    return companion::encode(mouse);
}
// Up to six key usages; more are left out.
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
