// e2e libinput --ready FILE --done FILE [--timeout-ms MS]
// A libinput client on the udev seat, as a desktop is one: creates the ready file once
// the seat is assigned, keeps the events of the agent's three devices until the done
// file appears and they have been quiet for a moment, then checks them against what
// data/scripts/libinput.txt sent and prints one result line per check; every event
// and libinput's log go to standard error. Positions are scaled onto the headless
// agent's 1920 x 1080 display.

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <fstream>
#include <string_view>

#include <fcntl.h>
#include <libinput.h>
#include <libudev.h>
#include <linux/input-event-codes.h>
#include <poll.h>
#include <unistd.h>

#include "System.hpp"
#include "Tool.hpp"

namespace drawlume::e2e {
namespace {

constexpr double kWidth = 1920;
constexpr double kHeight = 1080;
constexpr double kReportMaximum = 32767;
constexpr const char* kPen = "Draw Quill";
constexpr const char* kPointer = "Draw Quill Pointer";
constexpr const char* kKeyboard = "Draw Quill Keyboard";

// One libinput event as the checks read it. `kind` is "added" (with `caps`:
// "tablet-tool", "pointer", "keyboard"... joined by ","), "proximity-in",
// "proximity-out", "tip-down", "tip-up", "axis", "tool-button" (with `code` and
// `pressed`), "motion" (relative: dx, dy) or "absolute".
struct Event {
    std::string device, kind, tool, caps;
    double x = 0, y = 0, pressure = 0, tiltX = 0, tiltY = 0, rotation = 0;
    double dx = 0, dy = 0;
    uint32_t code = 0;
    bool pressed = false;
};

std::string describe(const Event& e) {
    char text[320];
    std::snprintf(text, sizeof text,
                  "%s %s %s%s x=%.2f y=%.2f pressure=%.4f tilt=%.2f/%.2f rotation=%.1f code=%u %s "
                  "d=%.2f/%.2f",
                  e.device.c_str(), e.kind.c_str(), e.tool.c_str(), e.caps.c_str(), e.x, e.y,
                  e.pressure, e.tiltX, e.tiltY, e.rotation, e.code,
                  e.pressed ? "pressed" : "released", e.dx, e.dy);
    return text;
}

std::vector<std::string> logLines;

void logHandler(libinput* /*context*/, libinput_log_priority /*priority*/, const char* format,
                va_list args) {
    char line[512];
    std::vsnprintf(line, sizeof line, format, args);
    std::string text(line);
    text.erase(text.find_last_not_of('\n') + 1);
    std::fprintf(stderr, "libinput log: %s\n", text.c_str());
    logLines.push_back(text);
}

// A tablet tool event's position, axes, tool and kind.
void recordTablet(libinput_event_type type, libinput_event_tablet_tool* tablet, Event& out) {
    out.x = libinput_event_tablet_tool_get_x_transformed(tablet, kWidth);
    out.y = libinput_event_tablet_tool_get_y_transformed(tablet, kHeight);
    out.pressure = libinput_event_tablet_tool_get_pressure(tablet);
    out.tiltX = libinput_event_tablet_tool_get_tilt_x(tablet);
    out.tiltY = libinput_event_tablet_tool_get_tilt_y(tablet);
    out.rotation = libinput_event_tablet_tool_get_rotation(tablet);
    const auto tool = libinput_tablet_tool_get_type(libinput_event_tablet_tool_get_tool(tablet));
    out.tool = tool == LIBINPUT_TABLET_TOOL_TYPE_PEN      ? "pen"
               : tool == LIBINPUT_TABLET_TOOL_TYPE_ERASER ? "eraser"
                                                          : "other";
    out.kind = "axis";
    if (type == LIBINPUT_EVENT_TABLET_TOOL_PROXIMITY) {
        out.kind = libinput_event_tablet_tool_get_proximity_state(tablet) ==
                           LIBINPUT_TABLET_TOOL_PROXIMITY_STATE_IN
                       ? "proximity-in"
                       : "proximity-out";
    } else if (type == LIBINPUT_EVENT_TABLET_TOOL_TIP) {
        out.kind = libinput_event_tablet_tool_get_tip_state(tablet) == LIBINPUT_TABLET_TOOL_TIP_DOWN
                       ? "tip-down"
                       : "tip-up";
    } else if (type == LIBINPUT_EVENT_TABLET_TOOL_BUTTON) {
        out.kind = "tool-button";
        out.code = libinput_event_tablet_tool_get_button(tablet);
        out.pressed =
            libinput_event_tablet_tool_get_button_state(tablet) == LIBINPUT_BUTTON_STATE_PRESSED;
    }
}

// One libinput event as a record; false for the kinds the checks do not read. An
// event is asked only for its own kind's part: asking for another is a client bug
// in libinput's log.
bool record(libinput_event* event, Event& out) {
    libinput_device* device = libinput_event_get_device(event);
    out.device = libinput_device_get_name(device);
    const auto type = libinput_event_get_type(event);
    if (type >= LIBINPUT_EVENT_TABLET_TOOL_AXIS && type <= LIBINPUT_EVENT_TABLET_TOOL_BUTTON) {
        recordTablet(type, libinput_event_get_tablet_tool_event(event), out);
    } else if (type == LIBINPUT_EVENT_DEVICE_ADDED) {
        out.kind = "added";
        constexpr std::pair<libinput_device_capability, const char*> kCaps[] = {
            {LIBINPUT_DEVICE_CAP_KEYBOARD, "keyboard"},
            {LIBINPUT_DEVICE_CAP_POINTER, "pointer"},
            {LIBINPUT_DEVICE_CAP_TOUCH, "touch"},
            {LIBINPUT_DEVICE_CAP_TABLET_TOOL, "tablet-tool"},
            {LIBINPUT_DEVICE_CAP_TABLET_PAD, "tablet-pad"},
            {LIBINPUT_DEVICE_CAP_GESTURE, "gesture"},
            {LIBINPUT_DEVICE_CAP_SWITCH, "switch"}};
        for (const auto& [cap, name] : kCaps) {
            if (libinput_device_has_capability(device, cap) != 0) {
                out.caps += (out.caps.empty() ? "" : ",") + std::string(name);
            }
        }
    } else if (type == LIBINPUT_EVENT_POINTER_MOTION) {
        out.kind = "motion";
        out.dx = libinput_event_pointer_get_dx(libinput_event_get_pointer_event(event));
        out.dy = libinput_event_pointer_get_dy(libinput_event_get_pointer_event(event));
    } else if (type == LIBINPUT_EVENT_POINTER_MOTION_ABSOLUTE) {
        libinput_event_pointer* pointer = libinput_event_get_pointer_event(event);
        out.kind = "absolute";
        out.x = libinput_event_pointer_get_absolute_x_transformed(pointer, kWidth);
        out.y = libinput_event_pointer_get_absolute_y_transformed(pointer, kHeight);
    }
    return !out.kind.empty();
}

// Reads the agent's devices until the done file has appeared and they have been
// quiet for half a second: 0, or 1 when the time ran out first, 2 without a seat.
int collect(const std::string& ready, const std::string& done, long timeoutMs,
            std::vector<Event>& events) {
    static const libinput_interface kInterface = {[](const char* path, int flags, void* /*data*/) {
                                                      const int fd =
                                                          ::open(path, flags | O_CLOEXEC);
                                                      return fd < 0 ? -errno : fd;
                                                  },
                                                  [](int fd, void* /*data*/) { ::close(fd); }};
    udev* udev = udev_new();
    libinput* context = libinput_udev_create_context(&kInterface, nullptr, udev);
    libinput_log_set_handler(context, logHandler);
    // The forced proximity out is told at debug level.
    libinput_log_set_priority(context, LIBINPUT_LOG_PRIORITY_DEBUG);
    if (context == nullptr || libinput_udev_assign_seat(context, "seat0") != 0) {
        std::fprintf(stderr, "e2e libinput: no libinput context on seat0\n");
        return 2;
    }
    std::ofstream(ready) << "";
    const Deadline deadline = afterMs(timeoutMs);
    int64_t lastEvent = monotonicNs();
    while (access(done.c_str(), F_OK) != 0 || monotonicNs() - lastEvent < 500'000'000) {
        if (remainingMs(deadline) == 0) {
            return 1;
        }
        pollfd watched{libinput_get_fd(context), POLLIN, 0};
        poll(&watched, 1, 50);
        libinput_dispatch(context);
        while (libinput_event* event = libinput_get_event(context)) {
            Event out;
            if (record(event, out) && out.device.starts_with(kPen)) {
                std::fprintf(stderr, "libinput event: %s\n", describe(out).c_str());
                events.push_back(out);
                lastEvent = monotonicNs();
            }
            libinput_event_destroy(event);
        }
    }
    libinput_unref(context);
    udev_unref(udev);
    return 0;
}

// Where a report's coordinate should come out: the agent puts the point (report /
// 32767 of the display) in the middle of a pixel's axis values, half a pixel on,
// within one axis step.
bool near(double actual, double report, double length) {
    return std::fabs(actual - (report / kReportMaximum * length + 0.5)) <= length / 32768 + 1e-6;
}

bool at(const Event& event, double x, double y) {
    return near(event.x, x, kWidth) && near(event.y, y, kHeight);
}

std::string position(const Event& event) {
    return std::to_string(event.x) + "/" + std::to_string(event.y);
}

// The device's events, or the pen's from its n-th proximity in (0 first) to its
// proximity out.
std::vector<Event> of(const std::vector<Event>& events, const std::string& device, int visit = -1) {
    std::vector<Event> found;
    int in = -1;
    for (const Event& event : events) {
        in += event.device == device && event.kind == "proximity-in" ? 1 : 0;
        if (event.device == device && (visit < 0 || in == visit)) {
            found.push_back(event);
            if (visit >= 0 && event.kind == "proximity-out") {
                break;
            }
        }
    }
    return found;
}

// Pressure, tilt and twist of the stroke's three touching reports.
struct Touch {
    int x, y, pressure, tiltX, tiltY, twist;
};
constexpr Touch kTouches[] = {
    {8200, 6100, 8000, 15, -10, 0},
    {8400, 6200, 16000, -20, 25, 45},
    {8600, 6300, 32767, 25, -20, 90},
};

// The checks in the order the companion's script plays them.
// NOLINTNEXTLINE(readability-function-size)
int runChecks(const std::vector<Event>& events) {
    CheckReporter report;
    // The companion sends five pen visits; the agent's own first one comes before them.
    const std::vector<Event> firstHover = of(events, kPen, 1);
    const std::vector<Event> stroke = of(events, kPen, 2);

    report.run("libinput.devices_classified", [&](std::string& reason) {
        for (const auto& [device, caps] :
             {std::pair{kPen, "tablet-tool"}, {kPointer, "pointer"}, {kKeyboard, "keyboard"}}) {
            const std::vector<Event> its = of(events, device);
            if (its.empty() || its.front().kind != "added" || its.front().caps != caps) {
                reason = "'" + std::string(device) + "' is " +
                         (its.empty() ? "missing" : its.front().caps) + ", not " + caps;
                return false;
            }
        }
        return true;
    });

    report.run("libinput.first_hover_stays_with_its_barrel", [&](std::string& reason) {
        int presses = 0;
        int releases = 0;
        for (const Event& event : firstHover) {
            if (event.kind == "tool-button" && event.code == BTN_STYLUS2) {
                (event.pressed ? presses : releases) += 1;
            }
        }
        for (const std::string& line : logLines) {
            if (line.find("forcing proximity") != std::string::npos) {
                reason = "libinput said: " + line;
            }
        }
        if (reason.empty() && (firstHover.empty() || !at(firstHover.front(), 16000, 16000))) {
            reason = "the first hover did not come in at the mapped position";
        } else if (reason.empty() && (presses != 1 || releases != 1)) {
            reason = "BTN_STYLUS2 pressed " + std::to_string(presses) + " and released " +
                     std::to_string(releases) + " times while hovering (1 each wanted)";
        }
        return reason.empty();
    });

    report.run("libinput.pen_unsmoothed", [&](std::string& reason) {
        // The first axis event after the hover's jump is already at the new place.
        const auto jump = std::find_if(firstHover.begin(), firstHover.end(), [](const Event& e) {
            return e.kind == "axis" && !at(e, 16000, 16000);
        });
        reason = jump == firstHover.end() ? "no hover motion"
                 : at(*jump, 20000, 12000)
                     ? ""
                     : "the jump came out at " + position(*jump) + " (averaged)";
        return reason.empty();
    });

    // Each of the stroke's touching reports, and the event libinput made of it.
    for (const std::string_view check :
         {"libinput.pressure", "libinput.tilt", "libinput.rotation"}) {
        report.run(std::string(check), [&](std::string& reason) {
            for (const Touch& touch : kTouches) {
                const auto e = std::find_if(stroke.begin(), stroke.end(), [&](const Event& event) {
                    return (event.kind == "tip-down" || event.kind == "axis") &&
                           at(event, touch.x, touch.y);
                });
                const double turn =
                    e == stroke.end() ? 0 : std::fmod(e->rotation - touch.twist + 720.0, 360.0);
                const bool right =
                    e != stroke.end() &&
                    (check == "libinput.pressure"
                         ? std::fabs(e->pressure - touch.pressure / kReportMaximum) <= 0.001
                     : check == "libinput.tilt" ? std::fabs(e->tiltX - touch.tiltX) <= 0.05 &&
                                                      std::fabs(e->tiltY - touch.tiltY) <= 0.05
                                                : std::min(turn, 360.0 - turn) <= 0.1);
                if (!right) {
                    reason = "report p=" + std::to_string(touch.pressure) +
                             " tx=" + std::to_string(touch.tiltX) +
                             " ty=" + std::to_string(touch.tiltY) +
                             " twist=" + std::to_string(touch.twist) + " came out as " +
                             (e == stroke.end() ? "nothing" : describe(*e));
                    return false;
                }
            }
            return true;
        });
    }

    report.run("libinput.pointer_unaccelerated", [&](std::string& reason) {
        // From where the eraser left it, the first move of a burst: +10, -5 pixels.
        const std::vector<Event> pointer = of(events, kPointer);
        const auto move = std::find_if(pointer.begin(), pointer.end(), [](const Event& e) {
            return e.kind == "motion" || e.kind == "absolute";
        });
        const bool there =
            move != pointer.end() && move->kind == "absolute" &&
            std::fabs(move->x - (4000 / kReportMaximum * kWidth + 10.5)) <= kWidth / 32768 &&
            std::fabs(move->y - (4000 / kReportMaximum * kHeight - 4.5)) <= kHeight / 32768;
        reason = there                    ? ""
                 : move == pointer.end()  ? "no motion"
                 : move->kind == "motion" ? "relative motion from an absolute pointer"
                                          : "moved to " + position(*move);
        return there;
    });

    return report.failures();
}

}  // namespace

int libinputCommand(int argc, char** argv) {
    const Options options(argc, argv, {"ready", "done", "timeout-ms"});
    const long timeoutMs = options.number("timeout-ms", 60000);
    if (!options.valid() || options.text("ready").empty() || options.text("done").empty()) {
        std::fprintf(stderr, "usage: see tools/Libinput.cpp\n");
        return 2;
    }
    std::vector<Event> events;
    const int collected = collect(options.text("ready"), options.text("done"), timeoutMs, events);
    if (collected == 2) {
        return 2;
    }
    if (collected != 0) {
        std::printf("FAIL libinput.scenario_finished: the done file did not appear in %ld ms\n",
                    timeoutMs);
    }
    return runChecks(events) == 0 && collected == 0 ? 0 : 1;
}

}  // namespace drawlume::e2e
