#pragma once

#include <memory>
#include <string>

#include "displays/ScreenList.hpp"
#include "platform/linux/UinputEventSink.hpp"

namespace drawlume {

// The event sink of a Linux desktop, headless or not: the three uinput
// devices, and the X server's pointer position where there is one. When the
// devices cannot be created the error is logged and the sink posts nothing
// (canCreateEvent() is false), so the rest of the agent runs all the same.
std::unique_ptr<UinputEventSink> makeDesktopEventSink(
    const ScreenList& screens, const std::string& uinputPath = "/dev/uinput");

}  // namespace drawlume
