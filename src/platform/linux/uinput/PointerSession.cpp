#include "platform/linux/uinput/PointerSession.hpp"

#include <cstdlib>

namespace drawlume {

namespace {

std::string variable(const char* name) {
    const char* value = std::getenv(name);  // NOLINT(concurrency-mt-unsafe): start-up only
    return value != nullptr ? value : "";
}

}  // namespace

SessionEnvironment SessionEnvironment::current() {
    return SessionEnvironment{variable("XDG_SESSION_TYPE"), variable("WAYLAND_DISPLAY"),
                              variable("DISPLAY")};
}

PointerSessionChoice choosePointerMotion(const SessionEnvironment& environment) {
    if (environment.sessionType == "wayland") {
        return {PointerMotion::relative, "a Wayland session"};
    }
    if (environment.sessionType == "x11") {
        return {PointerMotion::absolute, "an X11 session"};
    }
    if (!environment.waylandDisplay.empty()) {
        return {PointerMotion::relative, "a Wayland display"};
    }
    if (!environment.display.empty()) {
        return {PointerMotion::absolute, "an X display"};
    }
    return {PointerMotion::absolute, "no display"};
}

}  // namespace drawlume
