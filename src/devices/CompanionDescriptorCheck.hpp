#pragma once

#include <optional>
#include <string>

#include "devices/ReportDescriptor.hpp"

namespace drawlume {

// Whether a device's report descriptor declares the companion's three input
// reports where the translation reads them: the pen report 3 inside a pen
// application collection, the mouse report 1 and the keyboard report 2, each
// of a length the translation accepts and with every value it reads at that
// value's place, size and usage. Fields the translation does not read
// (padding, logical ranges, units, anything after the values read) are not
// compared. Pen screens, pen displays and drawing tablets present a pen
// collection too; this is what tells them apart.
//
// Nothing when the descriptor is the companion's; otherwise why not, as a
// short phrase for the log ("no 12-byte pen report 3").
std::optional<std::string> companionMismatch(const ReportDescriptor& descriptor);

}  // namespace drawlume
