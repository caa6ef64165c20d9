#include "platform/linux/uinput/UinputCoordinateMapper.hpp"

#include <algorithm>

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

}  // namespace drawlume
