#pragma once

#include "util/Geometry.hpp"

namespace drawlume {

// Where pen positions land: the chosen display's frame in event coordinates
// (origin at the top-left of the primary display, y downward). Read once per
// pen report, so implementations answer from a cache.
class TargetScreenFrameProvider {
public:
    virtual ~TargetScreenFrameProvider() = default;
    virtual Rect targetScreenFrame() = 0;
};

}  // namespace drawlume
