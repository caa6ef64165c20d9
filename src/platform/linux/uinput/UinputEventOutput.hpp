#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "displays/ScreenList.hpp"
#include "events/EventSink.hpp"
#include "events/HeldInputReleaser.hpp"
#include "platform/linux/uinput/HeldInputExitGuard.hpp"
#include "platform/linux/uinput/PointerPositionSource.hpp"
#include "platform/linux/uinput/UinputEventSink.hpp"
#include "platform/linux/uinput/UinputWriter.hpp"
#include "services/EventOutput.hpp"

namespace drawlume {

// The uinput devices for as long as the service runs: open() creates them
// and the sink that drives them, close() lets go of what they hold and
// removes them. In between this object stands for that sink, so the rest of
// the agent may keep one reference to it across starts and stops. While the
// devices exist, they are released however the process ends.
class UinputEventOutput final : public EventSink, public HeldInputReleaser, public EventOutput {
public:
    // The outcome of one attempt to create the devices.
    struct Devices {
        std::unique_ptr<UinputWriter> writer;  // null on failure
        int error = 0;                         // errno of the failed step
        std::string failure;                   // what failed, for the log
        std::string penNode;                   // the pen's event node, /dev/input/eventN
    };
    using CreateDevices = std::function<Devices(const std::string& uinputPath)>;
    using OpenPointerSource = std::function<std::unique_ptr<PointerPositionSource>()>;
    // Asks the desktop to map the pen's node onto the named output.
    using MapPen =
        std::function<PenDisplayMapping(const std::string& penNode, const std::string& outputName)>;

    UinputEventOutput(const ScreenList& screens, std::string uinputPath,
                      CreateDevices createDevices, OpenPointerSource openPointerSource = {},
                      PointerMotion motion = PointerMotion::absolute, MapPen mapPen = {});
    ~UinputEventOutput() override;
    UinputEventOutput(const UinputEventOutput&) = delete;
    UinputEventOutput& operator=(const UinputEventOutput&) = delete;

    std::optional<AccessibilityTrustState> open() override;
    void close() override;
    // With the devices there, asks the desktop to map the pen onto that
    // display and ranges the pen over it alone when it does; without them,
    // only remembers the display for the next open().
    PenDisplayMapping mapPenToDisplay(int64_t screenIndex) override;
    bool isOpen() const { return sink_ != nullptr; }

    bool canCreateEvent() override;
    std::optional<Point> currentPointerLocation() override;
    void post(const EventRecord& record) override;
    void releaseAllHeldInput() override;
    // Reads the screen list again; call whenever the displays change.
    void screensChanged();

private:
    const ScreenList& screens_;
    std::string uinputPath_;
    CreateDevices createDevices_;
    OpenPointerSource openPointerSource_;
    PointerMotion motion_;
    MapPen mapPen_;
    std::string penNode_;
    std::optional<size_t> penScreen_;
    std::unique_ptr<UinputEventSink> sink_;
    std::optional<HeldInputExitGuard> exitGuard_;
    // The last failure logged, so that a check repeated every few seconds
    // logs the same failure once.
    std::string loggedFailure_;
};

}  // namespace drawlume
