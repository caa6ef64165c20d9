#pragma once

#include <memory>
#include <string>

#include "displays/ScreenList.hpp"
#include "platform/linux/uinput/UinputEventOutput.hpp"

namespace drawlume {

// The event output of a Linux desktop, headless or not: the three uinput
// devices, created through libevdev when the service starts, and the X
// server's pointer position where there is one.
std::unique_ptr<UinputEventOutput> makeDesktopEventOutput(
    const ScreenList& screens, const std::string& uinputPath = "/dev/uinput");

}  // namespace drawlume
