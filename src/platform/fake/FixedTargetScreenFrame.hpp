#pragma once

#include "displays/TargetScreenFrameProvider.hpp"

namespace drawlume {

// A target rectangle that changes only when a test sets it.
class FixedTargetScreenFrame final : public TargetScreenFrameProvider {
public:
    FixedTargetScreenFrame() = default;
    explicit FixedTargetScreenFrame(Rect frame) : frame(frame) {}

    Rect targetScreenFrame() override { return frame; }

    Rect frame{{0, 0}, {1920, 1080}};
};

}  // namespace drawlume
