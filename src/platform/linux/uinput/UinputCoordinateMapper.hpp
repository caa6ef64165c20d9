#pragma once

#include <cmath>
#include <cstdint>
#include <span>

#include "displays/ScreenList.hpp"
#include "util/Geometry.hpp"

namespace drawlume {

// Turns event coordinates (origin at the primary display's top-left, y down)
// into values of an absolute axis that spans the bounding box of all
// displays. Compositors scale such an axis onto their whole desktop (the X
// root window, the GNOME stage, the KWin workspace), whose origin is the
// bounding box's top-left corner, so a point lands on the pixel it names: a
// whole-pixel position maps to the middle of its pixel's values, which
// survives every client's rescaling.
class UinputCoordinateMapper {
public:
    UinputCoordinateMapper(int32_t minimum, int32_t maximum);

    // Frames with the origin at the primary display's bottom-left, y up; the
    // primary first. An empty list maps every point to the minimum.
    void setScreens(std::span<const ScreenDescription> screens);
    // Ranges the axis over one rectangle of event coordinates instead: for a
    // device the desktop spreads over a single display. The primary's centre
    // stays what the screens said.
    void setArea(const Rect& area);

    bool hasScreens() const { return hasScreens_; }
    // The bounding box of all displays in event coordinates.
    const Rect& desktopBounds() const { return bounds_; }
    // The centre of the primary display in event coordinates.
    Point primaryCentre() const { return primaryCentre_; }

    int32_t axisX(double x) const { return scale(x - bounds_.minX(), bounds_.width()); }
    int32_t axisY(double y) const { return scale(y - bounds_.minY(), bounds_.height()); }

private:
    // Defined here: a pen report scales two axes.
    int32_t scale(double offset, double length) const {
        if (!(length > 0.0) || !std::isfinite(length) || !std::isfinite(offset)) {
            return minimum_;
        }
        // Clients scale back with (value - minimum) * length / steps and take the
        // pixel the result falls in. The X driver goes through a range of its own
        // (0..65535) and the server again, losing a fraction of a pixel on the
        // way, so a value at the start of a pixel's range can fall into the
        // pixel before. The middle of the range keeps half a pixel to spare
        // either way.
        const double steps = static_cast<double>(maximum_) - minimum_ + 1.0;
        const double step = (offset + 0.5) * steps / length;
        // Within the range truncation is the floor, and no call to it is made.
        if (!(step >= 0.0)) {
            return minimum_;
        }
        if (step >= steps) {
            return maximum_;
        }
        return static_cast<int32_t>(minimum_ + static_cast<int64_t>(step));
    }

    int32_t minimum_;
    int32_t maximum_;
    bool hasScreens_ = false;
    Rect bounds_;
    Point primaryCentre_;
};

}  // namespace drawlume
