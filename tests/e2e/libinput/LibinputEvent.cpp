#include "LibinputEvent.hpp"

#include <cstdio>

#include <linux/input-event-codes.h>

namespace drawlume::e2e {

std::string describe(const LibinputEvent& event) {
    using Kind = LibinputEvent::Kind;
    char text[256];
    const char* state = event.pressed ? "pressed" : "released";
    const auto tablet = [&](const char* what) {
        std::snprintf(text, sizeof text,
                      "%s %s %s x=%.2f y=%.2f pressure=%.4f tilt=%.2f/%.2f rotation=%.1f",
                      event.device.c_str(), what, event.tool.c_str(), event.x, event.y,
                      event.pressure, event.tiltX, event.tiltY, event.rotation);
    };
    switch (event.kind) {
        case Kind::added:
            std::snprintf(text, sizeof text, "%s added: %s", event.device.c_str(),
                          event.caps.c_str());
            break;
        case Kind::proximityIn:
            tablet("proximity-in");
            break;
        case Kind::proximityOut:
            tablet("proximity-out");
            break;
        case Kind::tipDown:
            tablet("tip-down");
            break;
        case Kind::tipUp:
            tablet("tip-up");
            break;
        case Kind::axis:
            tablet("axis");
            break;
        case Kind::toolButton:
            std::snprintf(text, sizeof text, "%s button %s %s at x=%.2f y=%.2f",
                          event.device.c_str(),
                          event.code == BTN_STYLUS2  ? "BTN_STYLUS2"
                          : event.code == BTN_STYLUS ? "BTN_STYLUS"
                                                     : "other",
                          state, event.x, event.y);
            break;
        case Kind::motion:
            std::snprintf(text, sizeof text, "%s motion dx=%.2f dy=%.2f", event.device.c_str(),
                          event.dx, event.dy);
            break;
        case Kind::absoluteMotion:
            std::snprintf(text, sizeof text, "%s absolute x=%.2f y=%.2f", event.device.c_str(),
                          event.x, event.y);
            break;
        case Kind::button:
            std::snprintf(text, sizeof text, "%s button %u %s", event.device.c_str(), event.code,
                          state);
            break;
        case Kind::wheel:
            std::snprintf(text, sizeof text, "%s wheel v120 vertical=%.0f horizontal=%.0f",
                          event.device.c_str(), event.vertical, event.horizontal);
            break;
        case Kind::key:
            std::snprintf(text, sizeof text, "%s key %u %s", event.device.c_str(), event.code,
                          state);
            break;
    }
    return text;
}

}  // namespace drawlume::e2e
