#include "platform/linux/uinput/DesktopEventSink.hpp"

#include "platform/linux/uinput/LibevdevUinputWriter.hpp"
#include "platform/linux/uinput/X11PointerPositionSource.hpp"

namespace drawlume {

std::unique_ptr<UinputEventOutput> makeDesktopEventOutput(const ScreenList& screens,
                                                          const std::string& uinputPath) {
    return std::make_unique<UinputEventOutput>(
        screens, uinputPath,
        [](const std::string& path) {
            LibevdevUinputWriter::Result created = LibevdevUinputWriter::create(path);
            return UinputEventOutput::Devices{std::move(created.writer), created.error,
                                              std::move(created.failure)};
        },
        [] { return X11PointerPositionSource::openIfAvailable(); });
}

}  // namespace drawlume
