#include "platform/linux/DesktopEventSink.hpp"

#include "logging/LogMacros.hpp"
#include "platform/linux/LibevdevUinputWriter.hpp"
#include "platform/linux/X11PointerPositionSource.hpp"

namespace drawlume {

namespace {

constexpr const char* kLogFile = "Drawlume___Bluetooth_Agent/DesktopEventSink";

}  // namespace

std::unique_ptr<UinputEventSink> makeDesktopEventSink(const ScreenList& screens,
                                                      const std::string& uinputPath) {
    LibevdevUinputWriter::Result devices = LibevdevUinputWriter::create(uinputPath);
    if (!devices.writer) {
        DDLogError("makeDesktopEventSink(screens:)",
                   strf("Cannot create the uinput devices, no events will be posted: %s",
                        devices.failure.c_str()));
    }
    return std::make_unique<UinputEventSink>(std::move(devices.writer), screens,
                                             X11PointerPositionSource::openIfAvailable());
}

}  // namespace drawlume
