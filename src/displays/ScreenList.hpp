#pragma once

#include <span>
#include <string>
#include <utility>
#include <vector>

#include "util/Geometry.hpp"

namespace drawlume {

// One display as the window system describes it. The frame has its origin at
// the bottom-left corner of the primary display, y upward.
// The name is the window system's own name of the output, such as "DP-1",
// by which a desktop can be told to map a device onto it; empty when unknown.
struct ScreenDescription {
    std::string name;
    Rect frame;
};

// A display's frame in the coordinates of events: origin at the primary's
// top-left corner, y downward.
inline Rect eventFrame(const Rect& frame, const Rect& primary) {
    return Rect{{frame.origin.x, primary.maxY() - frame.maxY()}, frame.size};
}

// The displays, the primary first. Read on the main thread; the span stays
// valid until the screens change, so a reader on the report path copies nothing.
class ScreenList {
public:
    virtual ~ScreenList() = default;
    virtual std::span<const ScreenDescription> screens() const = 0;
};

// A list that changes only when told: for tests and for runs without a display.
class FixedScreenList final : public ScreenList {
public:
    FixedScreenList() = default;
    explicit FixedScreenList(std::vector<ScreenDescription> screens)
        : screens_(std::move(screens)) {}

    std::span<const ScreenDescription> screens() const override { return screens_; }
    void setScreens(std::vector<ScreenDescription> screens) { screens_ = std::move(screens); }

private:
    std::vector<ScreenDescription> screens_;
};

}  // namespace drawlume
