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
    };
    using CreateDevices = std::function<Devices(const std::string& uinputPath)>;
    using OpenPointerSource = std::function<std::unique_ptr<PointerPositionSource>()>;

    UinputEventOutput(const ScreenList& screens, std::string uinputPath,
                      CreateDevices createDevices, OpenPointerSource openPointerSource = {});
    ~UinputEventOutput() override;
    UinputEventOutput(const UinputEventOutput&) = delete;
    UinputEventOutput& operator=(const UinputEventOutput&) = delete;

    std::optional<AccessibilityTrustState> open() override;
    void close() override;
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
    std::unique_ptr<UinputEventSink> sink_;
    std::optional<HeldInputExitGuard> exitGuard_;
    // The last failure logged, so that a check repeated every few seconds
    // logs the same failure once.
    std::string loggedFailure_;
};

}  // namespace drawlume
