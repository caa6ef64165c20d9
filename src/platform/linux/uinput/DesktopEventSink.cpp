#include "platform/linux/uinput/DesktopEventSink.hpp"

#include "platform/linux/uinput/LibevdevUinputWriter.hpp"
#include "platform/linux/uinput/X11PointerPositionSource.hpp"

namespace drawlume {

std::unique_ptr<UinputEventOutput> makeDesktopEventOutput(const ScreenList& screens,
                                                          PointerMotion motion,
                                                          UinputEventOutput::MapPen mapPen,
                                                          const std::string& uinputPath) {
    UinputEventOutput::OpenPointerSource openPointerSource;
    if (motion == PointerMotion::absolute) {
        openPointerSource = [] { return X11PointerPositionSource::openIfAvailable(); };
    }
    return std::make_unique<UinputEventOutput>(
        screens, uinputPath,
        [motion](const std::string& path) {
            LibevdevUinputWriter::Result created = LibevdevUinputWriter::create(path, motion);
            std::string penNode =
                created.writer ? created.writer->devnode(UinputDeviceRole::pen) : std::string();
            return UinputEventOutput::Devices{std::move(created.writer), created.error,
                                              std::move(created.failure), std::move(penNode)};
        },
        std::move(openPointerSource), motion, std::move(mapPen));
}

}  // namespace drawlume
