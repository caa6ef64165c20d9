#pragma once

#include <memory>
#include <optional>

#include "platform/linux/uinput/PointerPositionSource.hpp"

namespace drawlume {

// The pointer position from the X server's root window. Wayland gives clients
// no global pointer position (and XWayland only knows it over X windows), so
// this source exists only in an X11 session.
class X11PointerPositionSource final : public PointerPositionSource {
public:
    // Null without an X11 session or when the display cannot be opened.
    static std::unique_ptr<X11PointerPositionSource> openIfAvailable();

    ~X11PointerPositionSource() override;
    X11PointerPositionSource(const X11PointerPositionSource&) = delete;
    X11PointerPositionSource& operator=(const X11PointerPositionSource&) = delete;

    std::optional<Point> pointerPosition() override;

private:
    struct Connection;  // the Xlib display, kept out of this header with Xlib's macros

    explicit X11PointerPositionSource(std::unique_ptr<Connection> connection);

    std::unique_ptr<Connection> connection_;
};

}  // namespace drawlume
