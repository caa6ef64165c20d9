#pragma once

#include <memory>
#include <string>

#include "displays/ScreenList.hpp"
#include "platform/linux/uinput/UinputEventOutput.hpp"

namespace drawlume {

// The event output of a Linux desktop, headless or not: the three uinput
// devices, created through libevdev when the service starts, with the
// pointer moving as `motion` says, and the X server's pointer position where
// absolute motion needs it. `mapPen` tells the desktop which output the pen
// belongs to, where a desktop wants telling.
std::unique_ptr<UinputEventOutput> makeDesktopEventOutput(
    const ScreenList& screens, PointerMotion motion, UinputEventOutput::MapPen mapPen = {},
    const std::string& uinputPath = "/dev/uinput");

}  // namespace drawlume
