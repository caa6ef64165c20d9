#pragma once

#include <string>

#include "platform/linux/uinput/UinputWriter.hpp"

namespace drawlume {

// What the environment says about the graphical session the agent runs in.
struct SessionEnvironment {
    std::string sessionType;     // XDG_SESSION_TYPE: "x11", "wayland", "tty", ...
    std::string waylandDisplay;  // WAYLAND_DISPLAY
    std::string display;         // DISPLAY

    // Read once at start-up, on the main thread.
    static SessionEnvironment current();
};

// How the companion's mouse moves the pointer in that session, and why.
struct PointerSessionChoice {
    PointerMotion motion = PointerMotion::absolute;
    const char* reason = "";
};

// Only an X server tells where the pointer is. A Wayland session never does,
// not even through Xwayland, whose pointer is stale outside X windows, so
// the session type wins over whatever displays are set. Without any display
// there is no pointer for anyone else to move, and the absolute pointer stays.
PointerSessionChoice choosePointerMotion(const SessionEnvironment& environment);

}  // namespace drawlume
