#include "platform/linux/uinput/X11PointerPositionSource.hpp"

#include <cstdlib>
#include <cstring>
#include <utility>

#include <X11/Xlib.h>

#include "logging/LogMacros.hpp"

namespace drawlume {

namespace {

constexpr const char* kLogFile = "Drawlume___Bluetooth_Agent/X11PointerPositionSource";

bool isSet(const char* value) {
    return value != nullptr && value[0] != '\0';
}

}  // namespace

struct X11PointerPositionSource::Connection {
    explicit Connection(Display* opened) : display(opened) {}
    ~Connection() { XCloseDisplay(display); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    Display* display;
};

X11PointerPositionSource::X11PointerPositionSource(std::unique_ptr<Connection> connection)
    : connection_(std::move(connection)) {}

std::unique_ptr<X11PointerPositionSource> X11PointerPositionSource::openIfAvailable() {
    // Read once at start-up on the main thread, before any other thread
    // could change the environment.
    const char* display = std::getenv("DISPLAY");           // NOLINT(concurrency-mt-unsafe)
    const char* wayland = std::getenv("WAYLAND_DISPLAY");   // NOLINT(concurrency-mt-unsafe)
    const char* session = std::getenv("XDG_SESSION_TYPE");  // NOLINT(concurrency-mt-unsafe)
    if (!isSet(display) || isSet(wayland) ||
        (isSet(session) && std::strcmp(session, "wayland") == 0)) {
        return nullptr;
    }
    Display* connection = XOpenDisplay(nullptr);
    if (connection == nullptr) {
        DDLogWarn("openIfAvailable()",
                  strf("Cannot open X display %s: the pointer position is taken from the last "
                       "event posted",
                       display));
        return nullptr;
    }
    return std::unique_ptr<X11PointerPositionSource>(
        new X11PointerPositionSource(std::make_unique<Connection>(connection)));
}

X11PointerPositionSource::~X11PointerPositionSource() = default;

std::optional<Point> X11PointerPositionSource::pointerPosition() {
    Window root = 0;
    Window child = 0;
    int rootX = 0;
    int rootY = 0;
    int windowX = 0;
    int windowY = 0;
    unsigned int mask = 0;
    if (XQueryPointer(connection_->display, DefaultRootWindow(connection_->display), &root, &child,
                      &rootX, &rootY, &windowX, &windowY, &mask) == False) {
        return std::nullopt;  // the pointer is on another screen of a multi-screen display
    }
    return Point{static_cast<double>(rootX), static_cast<double>(rootY)};
}

}  // namespace drawlume
