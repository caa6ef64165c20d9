// The generator's relative move: accelerate, move from where the pointer is,
// keep the result on the displays, post.

#include <algorithm>
#include <cmath>
#include <limits>

#include "events/EventFieldWrites.hpp"
#include "events/EventGenerator.hpp"

namespace drawlume {

namespace {

// A screen frame (bottom-left origin, y up) in event coordinates (top-left
// origin of the primary display, y down); `primaryHeight` is the height of the
// first screen's frame.
Rect eventRect(const Rect& frame, double primaryHeight) {
    return Rect{{frame.minX(), primaryHeight - (frame.minY() + frame.height())}, frame.size};
}

// Minimum edges inside, maximum edges outside.
bool contains(const Rect& rect, Point point) {
    return point.x >= rect.minX() && point.x < rect.maxX() && point.y >= rect.minY() &&
           point.y < rect.maxY();
}

}  // namespace

Point EventGenerator::keepOnScreens(Point target) const {
    const auto screens = screenList_.screens();
    if (screens.empty()) {
        return target;
    }
    const double primaryHeight = screens.front().frame.height();
    for (const ScreenDescription& screen : screens) {
        if (contains(eventRect(screen.frame, primaryHeight), target)) {
            return target;
        }
    }
    // Off every screen: the nearest point of any screen, the earliest screen
    // winning a tie.
    Point best = target;
    double bestDistance = std::numeric_limits<double>::infinity();
    for (const ScreenDescription& screen : screens) {
        const Rect rect = eventRect(screen.frame, primaryHeight);
        const Point candidate{std::max(rect.minX(), std::min(rect.maxX() - 1, target.x)),
                              std::max(rect.minY(), std::min(rect.maxY() - 1, target.y))};
        const double dx = target.x - candidate.x;
        const double dy = target.y - candidate.y;
        const double distance = std::sqrt(dx * dx + dy * dy);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = candidate;
        }
    }
    return best;
}

void EventGenerator::postRelativeMouseEvent(CGEventType type, int8_t deltaX, int8_t deltaY,
                                            CGMouseButton button, int64_t clickState) {
    PointerAccelerator::Delta delta{static_cast<double>(deltaX), static_cast<double>(deltaY)};
    // A button change carries no motion and leaves the accelerator untouched,
    // its time stamps included.
    if ((deltaX != 0 || deltaY != 0) && pointerAccelerator_) {
        delta = pointerAccelerator_->accelerate(deltaX, deltaY, clocks_.uptimeSeconds());
    }
    const Point current = eventSink_.currentPointerLocation().value_or(Point{0, 0});
    const Point wanted{current.x + delta.x, current.y + delta.y};
    const Point target = keepOnScreens(wanted);
    if (pointerAccelerator_) {
        // An axis that ran into a display edge drops its carried fraction.
        if (target.x != wanted.x) {
            pointerAccelerator_->clearRemainderX();
        }
        if (target.y != wanted.y) {
            pointerAccelerator_->clearRemainderY();
        }
    }
    EventRecord record;
    if (!createMouseEvent(record, type, target, button)) {
        return;
    }
    writeInteger(record, kCGMouseEventClickState, clickState);
    post(record);
}

}  // namespace drawlume
