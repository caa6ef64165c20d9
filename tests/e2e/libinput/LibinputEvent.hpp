#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace drawlume::e2e {

// One event as a libinput client received it from one of the agent's devices,
// with positions scaled onto the headless agent's 1920 x 1080 display.
struct LibinputEvent {
    enum class Kind {
        added,        // caps: "tablet-tool", "pointer", "keyboard", joined by ","
        proximityIn,  // tool: "pen" or "eraser"; the axes
        proximityOut,
        tipDown,  // the axes
        tipUp,
        axis,            // the axes
        toolButton,      // code, pressed
        motion,          // relative motion: dx, dy
        absoluteMotion,  // x, y
        button,          // code, pressed
        wheel,           // vertical and horizontal v120
        key,             // code, pressed
    };
    Kind kind = Kind::added;
    std::string device;
    std::string caps;
    std::string tool;
    double x = 0, y = 0, pressure = 0, tiltX = 0, tiltY = 0, rotation = 0;
    double dx = 0, dy = 0;
    double vertical = 0, horizontal = 0;
    uint32_t code = 0;
    bool pressed = false;
};

// The line a person reads for an event.
std::string describe(const LibinputEvent& event);

// libinput's own log lines, kept for the checks.
struct LibinputSession {
    std::vector<LibinputEvent> events;
    std::vector<std::string> log;
};

// The checks of the libinput stage against what its companion script
// (tests/e2e/data/scripts/libinput.txt) sent; prints one result line each.
// Returns the number of failed checks.
int runLibinputChecks(const LibinputSession& session);

}  // namespace drawlume::e2e
