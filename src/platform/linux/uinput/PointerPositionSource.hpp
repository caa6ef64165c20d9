#pragma once

#include <optional>

#include "util/Geometry.hpp"

namespace drawlume {

// Where the window system has the pointer now, for desktops that tell.
class PointerPositionSource {
public:
    virtual ~PointerPositionSource() = default;

    // Position on the desktop, whose origin is the top-left corner of the
    // bounding box of all displays; nothing when it cannot be read.
    virtual std::optional<Point> pointerPosition() = 0;
};

}  // namespace drawlume
