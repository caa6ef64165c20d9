#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <linux/input-event-codes.h>

#include "CheckReporter.hpp"
#include "LibinputEvent.hpp"

namespace drawlume::e2e {

namespace {

using Kind = LibinputEvent::Kind;
using Change = std::pair<uint32_t, bool>;  // a key or button, pressed or not

constexpr const char* kPen = "Draw Quill";
constexpr const char* kPointer = "Draw Quill Pointer";
constexpr const char* kKeyboard = "Draw Quill Keyboard";
constexpr double kWidth = 1920;
constexpr double kHeight = 1080;
constexpr double kReportMaximum = 32767;

// Where a report's coordinate should come out: the agent puts the point
// (report / 32767 of the display) in the middle of a pixel's axis values, half
// a pixel on, within one axis step.
bool near(double actual, int report, double length) {
    const double point = report / kReportMaximum * length;
    return std::fabs(actual - (point + 0.5)) <= length / 32768 + 1e-6;
}

bool at(const LibinputEvent& event, int x, int y) {
    return near(event.x, x, kWidth) && near(event.y, y, kHeight);
}

std::string position(const LibinputEvent& event) {
    char text[64];
    std::snprintf(text, sizeof text, "%.3f/%.3f", event.x, event.y);
    return text;
}

std::vector<LibinputEvent> of(const LibinputSession& session, const std::string& device) {
    std::vector<LibinputEvent> events;
    for (const LibinputEvent& event : session.events) {
        if (event.device == device) {
            events.push_back(event);
        }
    }
    return events;
}

// The pen's events from the n-th proximity in (0 first) to its proximity out.
std::vector<LibinputEvent> visit(const std::vector<LibinputEvent>& pen, int n) {
    std::vector<LibinputEvent> events;
    int in = -1;
    for (const LibinputEvent& event : pen) {
        if (event.kind == Kind::proximityIn) {
            ++in;
        }
        if (in == n) {
            events.push_back(event);
            if (event.kind == Kind::proximityOut) {
                break;
            }
        }
    }
    return events;
}

// The pen event at a report's position whose kind is one of `kinds`.
std::optional<LibinputEvent> find(const std::vector<LibinputEvent>& events, int x, int y,
                                  const std::set<Kind>& kinds) {
    for (const LibinputEvent& event : events) {
        if (kinds.count(event.kind) != 0 && at(event, x, y)) {
            return event;
        }
    }
    return std::nullopt;
}

}  // namespace

// The checks in the order the companion's script plays them.
// NOLINTNEXTLINE(readability-function-size)
int runLibinputChecks(const LibinputSession& session) {
    CheckReporter report;
    const std::vector<LibinputEvent> pen = of(session, kPen);
    const std::vector<LibinputEvent> pointer = of(session, kPointer);
    const std::vector<LibinputEvent> keyboard = of(session, kKeyboard);
    // The companion sends five pen visits; the agent's own first one comes before them.
    const std::vector<LibinputEvent> firstHover = visit(pen, 1);
    const std::vector<LibinputEvent> stroke = visit(pen, 2);
    const std::vector<LibinputEvent> eraser = visit(pen, 3);

    report.run("libinput.devices_classified", [&](std::string& reason) {
        const std::map<std::string, std::string> wanted = {
            {kPen, "tablet-tool"}, {kPointer, "pointer"}, {kKeyboard, "keyboard"}};
        for (const auto& [device, caps] : wanted) {
            const std::vector<LibinputEvent> events = of(session, device);
            if (events.empty() || events.front().kind != Kind::added ||
                events.front().caps != caps) {
                reason = "'" + device + "' is ";
                reason += events.empty() ? std::string("missing") : events.front().caps;
                reason += ", not " + caps;
                return false;
            }
        }
        return true;
    });

    report.run("libinput.first_hover_stays_with_its_barrel", [&](std::string& reason) {
        int presses = 0;
        int releases = 0;
        for (const LibinputEvent& event : firstHover) {
            if (event.kind == Kind::toolButton && event.code == BTN_STYLUS2) {
                (event.pressed ? presses : releases) += 1;
            }
        }
        for (const std::string& line : session.log) {
            if (line.find("forcing proximity") != std::string::npos) {
                reason = "libinput said: " + line;
                return false;
            }
        }
        if (firstHover.empty() || !at(firstHover.front(), 16000, 16000)) {
            reason = "the first hover did not come in at the mapped position";
            return false;
        }
        if (presses != 1 || releases != 1) {
            reason = "BTN_STYLUS2 pressed " + std::to_string(presses) + " and released " +
                     std::to_string(releases) + " times while hovering (1 each wanted)";
            return false;
        }
        return true;
    });

    report.run("libinput.pen_unsmoothed", [&](std::string& reason) {
        // The first axis event after the hover's jump is already at the new place.
        for (const LibinputEvent& event : firstHover) {
            if (event.kind == Kind::axis && !at(event, 16000, 16000)) {
                if (at(event, 20000, 12000)) {
                    return true;
                }
                reason = "the jump came out at " + position(event) + " (averaged)";
                return false;
            }
        }
        reason = "no hover motion";
        return false;
    });

    report.run("libinput.proximity_at_mapped_position", [&](std::string& reason) {
        for (const auto& [events, x, y] :
             {std::tuple{&stroke, 8000, 6000}, std::tuple{&eraser, 4000, 4000}}) {
            if (events->empty() || !at(events->front(), x, y)) {
                reason = "came in at " +
                         (events->empty() ? std::string("nowhere") : position(events->front()));
                return false;
            }
        }
        return true;
    });

    // Pressure, tilt and twist of the stroke's three touching reports.
    struct Touch {
        int x, y, pressure, tiltX, tiltY, twist;
    };
    const Touch touches[] = {
        {8200, 6100, 8000, 15, -10, 0},
        {8400, 6200, 16000, -20, 25, 45},
        {8600, 6300, 32767, 25, -20, 90},
    };
    const auto each = [&](const std::function<std::string(const Touch&, const LibinputEvent&)>& f) {
        return [&, f](std::string& reason) {
            for (const Touch& touch : touches) {
                const std::optional<LibinputEvent> event =
                    find(stroke, touch.x, touch.y, {Kind::tipDown, Kind::axis});
                reason =
                    event ? f(touch, *event) : "no event at report x=" + std::to_string(touch.x);
                if (!reason.empty()) {
                    return false;
                }
            }
            return true;
        };
    };
    report.run("libinput.pressure", each([](const Touch& touch, const LibinputEvent& event) {
                   const double wanted = touch.pressure / kReportMaximum;
                   if (std::fabs(event.pressure - wanted) <= 0.001) {
                       return std::string();
                   }
                   return "pressure " + std::to_string(event.pressure) + " for " +
                          std::to_string(wanted);
               }));
    report.run("libinput.tilt", each([](const Touch& touch, const LibinputEvent& event) {
                   if (std::fabs(event.tiltX - touch.tiltX) <= 0.05 &&
                       std::fabs(event.tiltY - touch.tiltY) <= 0.05) {
                       return std::string();
                   }
                   return "tilt " + std::to_string(event.tiltX) + "/" +
                          std::to_string(event.tiltY) + " for " + std::to_string(touch.tiltX) +
                          "/" + std::to_string(touch.tiltY);
               }));
    report.run("libinput.rotation", each([](const Touch& touch, const LibinputEvent& event) {
                   const double off = std::fmod(event.rotation - touch.twist + 720.0, 360.0);
                   if (std::min(off, 360.0 - off) <= 0.1) {
                       return std::string();
                   }
                   return "rotation " + std::to_string(event.rotation) + " for twist " +
                          std::to_string(touch.twist);
               }));

    report.run("libinput.eraser_is_the_rubber_tool", [&](std::string& reason) {
        const std::optional<LibinputEvent> tip = find(eraser, 4000, 4000, {Kind::tipDown});
        if (eraser.empty() || eraser.front().tool != "eraser") {
            reason = "the inverted pen came in as " +
                     (eraser.empty() ? std::string("nothing") : eraser.front().tool);
            return false;
        }
        if (!tip || std::fabs(tip->pressure - 12000 / kReportMaximum) > 0.001) {
            reason = "the eraser did not touch with its pressure";
            return false;
        }
        return true;
    });

    report.run("libinput.pointer_unaccelerated", [&](std::string& reason) {
        // From where the eraser left it, the first move of a burst: +10, -5 pixels.
        const double x = 4000 / kReportMaximum * kWidth + 10 + 0.5;
        const double y = 4000 / kReportMaximum * kHeight - 5 + 0.5;
        for (const LibinputEvent& event : pointer) {
            if (event.kind == Kind::motion) {
                reason = "relative motion from an absolute pointer";
                return false;
            }
            if (event.kind == Kind::absoluteMotion) {
                if (std::fabs(event.x - x) <= kWidth / 32768 &&
                    std::fabs(event.y - y) <= kHeight / 32768) {
                    return true;
                }
                reason = "moved to " + position(event);
                return false;
            }
        }
        reason = "no motion";
        return false;
    });

    report.run("libinput.wheel_detents", [&](std::string& reason) {
        std::vector<std::pair<double, double>> wheels;
        for (const LibinputEvent& event : pointer) {
            if (event.kind == Kind::wheel) {
                wheels.emplace_back(event.vertical, event.horizontal);
            }
        }
        // wheel=1 is up (negative in libinput), pan=1 left, as on evdev.
        const std::vector<std::pair<double, double>> wanted = {
            {-120, 0}, {120, 0}, {0, -120}, {0, 120}};
        if (wheels == wanted) {
            return true;
        }
        reason = std::to_string(wheels.size()) + " wheel events, not the four detents";
        for (const auto& [v, h] : wheels) {
            reason += " " + std::to_string(static_cast<int>(v)) + "/" +
                      std::to_string(static_cast<int>(h));
        }
        return false;
    });

    report.run("libinput.buttons_and_keys", [&](std::string& reason) {
        std::vector<Change> buttons;
        for (const LibinputEvent& event : pointer) {
            if (event.kind == Kind::button) {
                buttons.emplace_back(event.code, event.pressed);
            }
        }
        std::vector<Change> keys;
        for (const LibinputEvent& event : keyboard) {
            if (event.kind == Kind::key) {
                keys.emplace_back(event.code, event.pressed);
            }
        }
        const std::vector<Change> click = {{BTN_LEFT, true}, {BTN_LEFT, false}};
        if (buttons.size() < 2 || !std::equal(click.begin(), click.end(), buttons.begin())) {
            reason = "the left click did not come";
            return false;
        }
        // Shift and A down, then both up (the order of the two releases is the
        // desktop's no concern).
        const bool typed = keys.size() >= 4 && keys[0] == Change{KEY_LEFTSHIFT, true} &&
                           keys[1] == Change{KEY_A, true} &&
                           std::set(keys.begin() + 2, keys.begin() + 4) ==
                               std::set<Change>{{KEY_LEFTSHIFT, false}, {KEY_A, false}};
        if (!typed) {
            reason = "Shift+A did not come as typed";
        }
        return typed;
    });

    report.run("libinput.removal_leaves_nothing_held", [&](std::string& reason) {
        // Played through: what is still down once everything arrived.
        std::set<std::pair<std::string, uint32_t>> held;
        bool touching = false;
        bool inProximity = false;
        bool strokeSeen = false;
        for (const LibinputEvent& event : session.events) {
            switch (event.kind) {
                case Kind::tipDown:
                    touching = true;
                    strokeSeen = strokeSeen || at(event, 9100, 9000);
                    break;
                case Kind::tipUp:
                    touching = false;
                    break;
                case Kind::proximityIn:
                    inProximity = true;
                    break;
                case Kind::proximityOut:
                    inProximity = false;
                    break;
                case Kind::toolButton:
                case Kind::button:
                case Kind::key:
                    if (event.pressed) {
                        held.insert({event.device, event.code});
                    } else {
                        held.erase({event.device, event.code});
                    }
                    break;
                default:
                    break;
            }
        }
        if (!strokeSeen) {
            reason = "the last stroke never touched";
        } else if (touching || inProximity) {
            reason = touching ? "the tip is still down" : "the pen is still in proximity";
        } else if (!held.empty()) {
            reason = std::to_string(held.size()) + " keys or buttons still down, the first " +
                     std::to_string(held.begin()->second) + " on '" + held.begin()->first + "'";
        }
        return reason.empty();
    });
    return report.failures();
}

}  // namespace drawlume::e2e
