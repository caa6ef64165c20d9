// e2e_libinput_client: a libinput client on the udev seat, as a desktop is one:
// reads every input device systemd-udevd has announced, keeps the events of the
// agent's three devices ("Draw Quill", "... Pointer", "... Keyboard") until the done
// file appears and the devices have been quiet for a moment, then checks them (see
// libinput/LibinputChecks.cpp) and prints one result line per check. The events of
// the pen's first hover are printed as well ("libinput: ..." lines), all of them and
// libinput's log on standard error.
//
//   e2e_libinput_client --ready FILE --done FILE [--timeout-ms MS]
// --ready is created once the seat is assigned (devices that appear later are seen).
// Exit status: 0 all checks passed, 1 one failed, 2 usage or no libinput context.

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <libinput.h>
#include <libudev.h>
#include <poll.h>
#include <unistd.h>

#include "Deadline.hpp"
#include "LibinputEvent.hpp"

using namespace drawlume::e2e;

namespace {

constexpr double kWidth = 1920;
constexpr double kHeight = 1080;
constexpr int kQuietMs = 500;

int openRestricted(const char* path, int flags, void* /*data*/) {
    const int fd = ::open(path, flags | O_CLOEXEC);
    return fd < 0 ? -errno : fd;
}

void closeRestricted(int fd, void* /*data*/) {
    ::close(fd);
}

const libinput_interface kInterface = {openRestricted, closeRestricted};

void logHandler(libinput* context, libinput_log_priority /*priority*/, const char* format,
                va_list args) {
    char line[512];
    std::vsnprintf(line, sizeof line, format, args);
    std::string text(line);
    while (!text.empty() && text.back() == '\n') {
        text.pop_back();
    }
    std::fprintf(stderr, "libinput log: %s\n", text.c_str());
    if (auto* session = static_cast<LibinputSession*>(libinput_get_user_data(context))) {
        session->log.push_back(text);
    }
}

std::string capabilities(libinput_device* device) {
    std::string caps;
    const std::pair<libinput_device_capability, const char*> known[] = {
        {LIBINPUT_DEVICE_CAP_KEYBOARD, "keyboard"},
        {LIBINPUT_DEVICE_CAP_POINTER, "pointer"},
        {LIBINPUT_DEVICE_CAP_TOUCH, "touch"},
        {LIBINPUT_DEVICE_CAP_TABLET_TOOL, "tablet-tool"},
        {LIBINPUT_DEVICE_CAP_TABLET_PAD, "tablet-pad"},
        {LIBINPUT_DEVICE_CAP_GESTURE, "gesture"},
        {LIBINPUT_DEVICE_CAP_SWITCH, "switch"},
    };
    for (const auto& [cap, name] : known) {
        if (libinput_device_has_capability(device, cap) != 0) {
            caps += caps.empty() ? name : std::string(",") + name;
        }
    }
    return caps;
}

void readTablet(libinput_event_tablet_tool* tablet, LibinputEvent& out) {
    out.x = libinput_event_tablet_tool_get_x_transformed(tablet, kWidth);
    out.y = libinput_event_tablet_tool_get_y_transformed(tablet, kHeight);
    out.pressure = libinput_event_tablet_tool_get_pressure(tablet);
    out.tiltX = libinput_event_tablet_tool_get_tilt_x(tablet);
    out.tiltY = libinput_event_tablet_tool_get_tilt_y(tablet);
    out.rotation = libinput_event_tablet_tool_get_rotation(tablet);
    libinput_tablet_tool* tool = libinput_event_tablet_tool_get_tool(tablet);
    const libinput_tablet_tool_type type = libinput_tablet_tool_get_type(tool);
    out.tool = type == LIBINPUT_TABLET_TOOL_TYPE_PEN      ? "pen"
               : type == LIBINPUT_TABLET_TOOL_TYPE_ERASER ? "eraser"
                                                          : "other";
}

// Turns one libinput event into a record; false for events the checks do not read.
// One case for each kind of libinput event the checks read.
// NOLINTNEXTLINE(readability-function-size)
bool record(libinput_event* event, LibinputEvent& out) {
    using Kind = LibinputEvent::Kind;
    libinput_device* device = libinput_event_get_device(event);
    out.device = libinput_device_get_name(device);
    switch (libinput_event_get_type(event)) {
        case LIBINPUT_EVENT_DEVICE_ADDED:
            out.kind = Kind::added;
            out.caps = capabilities(device);
            return true;
        case LIBINPUT_EVENT_TABLET_TOOL_PROXIMITY: {
            libinput_event_tablet_tool* tablet = libinput_event_get_tablet_tool_event(event);
            readTablet(tablet, out);
            out.kind = libinput_event_tablet_tool_get_proximity_state(tablet) ==
                               LIBINPUT_TABLET_TOOL_PROXIMITY_STATE_IN
                           ? Kind::proximityIn
                           : Kind::proximityOut;
            return true;
        }
        case LIBINPUT_EVENT_TABLET_TOOL_TIP: {
            libinput_event_tablet_tool* tablet = libinput_event_get_tablet_tool_event(event);
            readTablet(tablet, out);
            out.kind =
                libinput_event_tablet_tool_get_tip_state(tablet) == LIBINPUT_TABLET_TOOL_TIP_DOWN
                    ? Kind::tipDown
                    : Kind::tipUp;
            return true;
        }
        case LIBINPUT_EVENT_TABLET_TOOL_AXIS:
            readTablet(libinput_event_get_tablet_tool_event(event), out);
            out.kind = Kind::axis;
            return true;
        case LIBINPUT_EVENT_TABLET_TOOL_BUTTON: {
            libinput_event_tablet_tool* tablet = libinput_event_get_tablet_tool_event(event);
            readTablet(tablet, out);
            out.kind = Kind::toolButton;
            out.code = libinput_event_tablet_tool_get_button(tablet);
            out.pressed = libinput_event_tablet_tool_get_button_state(tablet) ==
                          LIBINPUT_BUTTON_STATE_PRESSED;
            return true;
        }
        case LIBINPUT_EVENT_POINTER_MOTION: {
            libinput_event_pointer* pointer = libinput_event_get_pointer_event(event);
            out.kind = Kind::motion;
            out.dx = libinput_event_pointer_get_dx(pointer);
            out.dy = libinput_event_pointer_get_dy(pointer);
            return true;
        }
        case LIBINPUT_EVENT_POINTER_MOTION_ABSOLUTE: {
            libinput_event_pointer* pointer = libinput_event_get_pointer_event(event);
            out.kind = Kind::absoluteMotion;
            out.x = libinput_event_pointer_get_absolute_x_transformed(pointer, kWidth);
            out.y = libinput_event_pointer_get_absolute_y_transformed(pointer, kHeight);
            return true;
        }
        case LIBINPUT_EVENT_POINTER_BUTTON: {
            libinput_event_pointer* pointer = libinput_event_get_pointer_event(event);
            out.kind = Kind::button;
            out.code = libinput_event_pointer_get_button(pointer);
            out.pressed =
                libinput_event_pointer_get_button_state(pointer) == LIBINPUT_BUTTON_STATE_PRESSED;
            return true;
        }
        case LIBINPUT_EVENT_POINTER_SCROLL_WHEEL: {
            libinput_event_pointer* pointer = libinput_event_get_pointer_event(event);
            out.kind = Kind::wheel;
            for (const auto& [axis, value] :
                 {std::pair{LIBINPUT_POINTER_AXIS_SCROLL_VERTICAL, &out.vertical},
                  std::pair{LIBINPUT_POINTER_AXIS_SCROLL_HORIZONTAL, &out.horizontal}}) {
                if (libinput_event_pointer_has_axis(pointer, axis) != 0) {
                    *value = libinput_event_pointer_get_scroll_value_v120(pointer, axis);
                }
            }
            return true;
        }
        case LIBINPUT_EVENT_KEYBOARD_KEY: {
            libinput_event_keyboard* keyboard = libinput_event_get_keyboard_event(event);
            out.kind = Kind::key;
            out.code = libinput_event_keyboard_get_key(keyboard);
            out.pressed =
                libinput_event_keyboard_get_key_state(keyboard) == LIBINPUT_KEY_STATE_PRESSED;
            return true;
        }
        default:
            return false;
    }
}

bool exists(const std::string& path) {
    return ::access(path.c_str(), F_OK) == 0;
}

int usage() {
    std::fprintf(stderr, "usage: e2e_libinput_client --ready FILE --done FILE [--timeout-ms MS]\n");
    return 2;
}

}  // namespace

// The options, then the one run the tool makes, in order.
// NOLINTNEXTLINE(readability-function-size)
int main(int argc, char** argv) {
    std::string ready;
    std::string done;
    long timeoutMs = 60000;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string arg = argv[i];
        if (arg == "--ready") {
            ready = argv[i + 1];
        } else if (arg == "--done") {
            done = argv[i + 1];
        } else if (arg == "--timeout-ms") {
            timeoutMs = std::strtol(argv[i + 1], nullptr, 10);
        } else {
            return usage();
        }
    }
    if (ready.empty() || done.empty() || argc % 2 == 0) {
        return usage();
    }

    LibinputSession session;
    udev* udev = udev_new();
    libinput* context = libinput_udev_create_context(&kInterface, &session, udev);
    if (context == nullptr) {
        std::fprintf(stderr, "e2e_libinput_client: no libinput context\n");
        return 2;
    }
    libinput_log_set_handler(context, logHandler);
    // The forced proximity out is told at debug level.
    libinput_log_set_priority(context, LIBINPUT_LOG_PRIORITY_DEBUG);
    if (libinput_udev_assign_seat(context, "seat0") != 0) {
        std::fprintf(stderr, "e2e_libinput_client: cannot assign seat0\n");
        return 2;
    }
    if (FILE* file = std::fopen(ready.c_str(), "w")) {
        std::fclose(file);
    }

    const int64_t deadline = monotonicNs() + timeoutMs * 1000000;
    int64_t lastEvent = monotonicNs();
    bool timedOut = false;
    while (true) {
        pollfd watched{libinput_get_fd(context), POLLIN, 0};
        ::poll(&watched, 1, 50);
        libinput_dispatch(context);
        while (libinput_event* event = libinput_get_event(context)) {
            LibinputEvent out;
            if (record(event, out) && out.device.starts_with("Draw Quill")) {
                session.events.push_back(out);
                std::fprintf(stderr, "libinput event: %s\n", describe(out).c_str());
                lastEvent = monotonicNs();
            }
            libinput_event_destroy(event);
        }
        const int64_t now = monotonicNs();
        if (exists(done) && now - lastEvent > kQuietMs * int64_t{1000000}) {
            break;
        }
        if (now > deadline) {
            timedOut = true;
            break;
        }
    }
    libinput_unref(context);
    udev_unref(udev);

    // The pen's first hover as the client saw it: the agent's own visit, then the
    // companion's hover with its barrel click.
    int outs = 0;
    for (const LibinputEvent& event : session.events) {
        if (event.device == "Draw Quill" && event.kind != LibinputEvent::Kind::added) {
            std::printf("libinput: %s\n", describe(event).c_str());
            if (event.kind == LibinputEvent::Kind::proximityOut && ++outs == 2) {
                break;
            }
        }
    }
    std::fflush(stdout);
    if (timedOut) {
        std::printf("FAIL libinput.scenario_finished: the done file did not appear in %ld ms\n",
                    timeoutMs);
    }
    const int failures = runLibinputChecks(session);
    return failures == 0 && !timedOut ? 0 : 1;
}
