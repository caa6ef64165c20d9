#pragma once

#include <string>

#include "platform/linux/session/InputNodeProbe.hpp"
#include "services/AccessibilityTrust.hpp"

namespace drawlume {

// Posting is permitted when the uinput node opens for writing, as the event
// sink will open it. When it does, the companion's nodes are checked too,
// since a companion that cannot be read leaves nothing to post.
class LinuxAccessibilityTrust final : public AccessibilityTrust {
public:
    explicit LinuxAccessibilityTrust(InputNodeProbe& probe, std::string uinputPath = "/dev/uinput");

    AccessibilityTrustState check() override;

private:
    InputNodeProbe& probe_;
    std::string uinputPath_;
};

}  // namespace drawlume
