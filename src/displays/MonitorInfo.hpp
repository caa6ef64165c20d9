#pragma once

#include <cstdint>
#include <string>

#include "util/Geometry.hpp"

namespace drawlume {

class AppLocalization;

// One display as the display list shows it.
struct MonitorInfo {
    // Position in the screen list when the list was made; 0 is the primary.
    int64_t id = 0;
    // "Monitor <id + 1>".
    std::string name;
    // Bottom-left origin, y upward, as the screen list gives it.
    Rect frame;

    // The same display when the ids are equal; name and frame do not count.
    bool operator==(const MonitorInfo& other) const { return id == other.id; }

    // The text of the display list: "display.target.monitor.format" filled
    // with id + 1 and the frame's width and height cut to whole numbers.
    std::string displayName(const AppLocalization& localization) const;
    // The same in the shared localization.
    std::string displayName() const;
};

// The name of the display at a position of the screen list: "Monitor 1" for 0.
std::string monitorName(int64_t id);

}  // namespace drawlume
