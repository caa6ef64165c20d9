#include "platform/linux/uinput/UinputCoordinateMapper.hpp"

#include <algorithm>
#include <cmath>

namespace drawlume {

UinputCoordinateMapper::UinputCoordinateMapper(int32_t minimum, int32_t maximum)
    : minimum_(minimum), maximum_(maximum) {}

void UinputCoordinateMapper::setScreens(std::span<const ScreenDescription> screens) {
    hasScreens_ = !screens.empty();
    bounds_ = Rect{};
    primaryCentre_ = Point{};
    if (!hasScreens_) {
        return;
    }
    // Bottom-left frames become top-left ones by flipping about the primary
    // display's top edge.
    const Rect& primary = screens.front().frame;
    const double flip = primary.maxY();
    double left = primary.minX();
    double top = flip - primary.maxY();
    double right = primary.maxX();
    double bottom = flip - primary.minY();
    for (const ScreenDescription& screen : screens) {
        left = std::min(left, screen.frame.minX());
        right = std::max(right, screen.frame.maxX());
        top = std::min(top, flip - screen.frame.maxY());
        bottom = std::max(bottom, flip - screen.frame.minY());
    }
    bounds_ = Rect{{left, top}, {right - left, bottom - top}};
    primaryCentre_ = Point{primary.minX() + primary.width() / 2.0,
                           (flip - primary.maxY()) + primary.height() / 2.0};
}

void UinputCoordinateMapper::setArea(const Rect& area) {
    hasScreens_ = true;
    bounds_ = area;
}

int32_t UinputCoordinateMapper::scale(double offset, double length) const {
    if (!(length > 0.0) || !std::isfinite(length) || !std::isfinite(offset)) {
        return minimum_;
    }
    // Clients scale back with (value - minimum) * length / steps and take the
    // pixel the result falls in. The X driver goes through a range of its own
    // (0..65535) and the server again, losing a fraction of a pixel on the
    // way, so a value at the start of a pixel's range can fall into the pixel
    // before. The middle of the range keeps half a pixel to spare either way.
    const double steps = static_cast<double>(maximum_) - minimum_ + 1.0;
    const double value = minimum_ + std::floor((offset + 0.5) * steps / length);
    return static_cast<int32_t>(
        std::clamp(value, static_cast<double>(minimum_), static_cast<double>(maximum_)));
}

}  // namespace drawlume
