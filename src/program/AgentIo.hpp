#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "devices/HidHost.hpp"
#include "displays/ScreenList.hpp"
#include "platform/linux/hidraw/HidrawHost.hpp"
#include "platform/linux/session/InputNodeProbe.hpp"
#include "platform/linux/session/LinuxAccessibilityTrust.hpp"
#include "platform/linux/uinput/UinputEventOutput.hpp"
#include "platform/print/PrintingEventSink.hpp"
#include "platform/replay/HidRecording.hpp"
#include "platform/replay/ReplayHidHost.hpp"
#include "program/AgentOptions.hpp"
#include "services/AccessibilityTrust.hpp"
#include "util/Clocks.hpp"

namespace drawlume {

// The ends of a run that the command line chooses: where events go (uinput,
// or standard output with --print-events), how the permission is judged
// (printing needs none), and where devices come from (hidraw, or recordings).
class AgentIo {
public:
    AgentIo(const AgentOptions& options, const std::vector<HidRecording>& recordings,
            const ScreenList& screens);
    ~AgentIo();
    AgentIo(const AgentIo&) = delete;
    AgentIo& operator=(const AgentIo&) = delete;

    EventSink& eventSink();
    // The uinput output, which exists while the service runs; none when printing.
    UinputEventOutput* desktopSink() const { return desktop_.get(); }
    // What is told when the companion closes: the uinput output, or the
    // printer, which prints the releases.
    HeldInputReleaser* heldInputReleaser();
    EventOutput* eventOutput() const { return desktop_.get(); }
    // Whether the companion's mouse moves on a relative device, which the
    // desktop scales itself, so that our accelerator stays off.
    bool desktopScalesPointer() const { return desktopScalesPointer_; }
    AccessibilityTrust& accessibilityTrust();
    HidHost& hidHost();
    const Clocks& clocks() const;
    ReplayHidHost* replay() const { return replay_.get(); }

private:
    // Printing needs no permission: nothing is posted.
    class PrintingTrust final : public AccessibilityTrust {
    public:
        AccessibilityTrustState check() override {
            return AccessibilityTrustState{true, AccessibilityTrustReason::granted, "", 0, ""};
        }
    };

    std::unique_ptr<PrintingEventSink> printer_;
    std::unique_ptr<UinputEventOutput> desktop_;
    bool desktopScalesPointer_ = false;
    SystemInputNodeProbe probe_;
    std::optional<LinuxAccessibilityTrust> linuxTrust_;
    PrintingTrust printingTrust_;
    std::unique_ptr<ReplayHidHost> replay_;
    std::unique_ptr<HidrawHost> hidraw_;
};

// Reads the recordings named on the command line; false, with the file and
// line of the first fault on stderr, when one is malformed.
bool loadRecordings(const std::vector<std::string>& files, std::vector<HidRecording>& recordings);

}  // namespace drawlume
