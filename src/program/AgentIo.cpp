#include "program/AgentIo.hpp"

#include <cstdio>
#include <iostream>

#include "logging/LogMacros.hpp"
#include "platform/linux/session/KWinTabletMapping.hpp"
#include "platform/linux/uinput/DesktopEventSink.hpp"
#include "platform/linux/uinput/PointerSession.hpp"
#include "platform/linux/uinput/UinputDeviceLayout.hpp"
#include "platform/replay/HidRecordingParser.hpp"

namespace drawlume {

namespace {

constexpr const char* kLogFile = "Drawlume___Bluetooth_Agent/AgentIo";

PenDisplayMapping mapPenInKWin(const std::string& penNode, const std::string& outputName) {
    const KWinTabletMapping kwin(uinputDeviceLayout(UinputDeviceRole::pen).name);
    switch (kwin.mapToOutput(penNode, outputName).outcome) {
        case KWinTabletMapping::Outcome::absent:
            return PenDisplayMapping::wholeDesktop;
        case KWinTabletMapping::Outcome::mapped:
            return PenDisplayMapping::mapped;
        case KWinTabletMapping::Outcome::refused:
            return PenDisplayMapping::refused;
    }
    return PenDisplayMapping::wholeDesktop;
}

}  // namespace

AgentIo::AgentIo(const AgentOptions& options, const std::vector<HidRecording>& recordings,
                 const ScreenList& screens) {
    if (options.printEvents) {
        // The pointer starts where a desktop puts it: the middle of the primary display.
        const auto all = screens.screens();
        const Size size = all.empty() ? Size{1920, 1080} : all.front().frame.size;
        printer_ =
            std::make_unique<PrintingEventSink>(std::cout, Point{size.width / 2, size.height / 2});
    } else {
        const PointerSessionChoice choice = choosePointerMotion(SessionEnvironment::current());
        desktopScalesPointer_ = choice.motion == PointerMotion::relative;
        DDLogInfo("AgentIo(options:)",
                  desktopScalesPointer_
                      ? strf("Companion mouse: relative motion (%s: the pointer's position "
                             "cannot be read; the desktop accelerates it)",
                             choice.reason)
                      : strf("Companion mouse: absolute positions (%s)", choice.reason));
        desktop_ = makeDesktopEventOutput(screens, choice.motion, mapPenInKWin);
        linuxTrust_.emplace(probe_);
    }
    if (options.replays()) {
        replay_ = std::make_unique<ReplayHidHost>(recordings, options.fast
                                                                  ? ReplayPacing::asFastAsPossible
                                                                  : ReplayPacing::recordedTimes);
    } else {
        hidraw_ = std::make_unique<HidrawHost>();
    }
}

AgentIo::~AgentIo() = default;

EventSink& AgentIo::eventSink() {
    return printer_ ? static_cast<EventSink&>(*printer_) : *desktop_;
}

HeldInputReleaser* AgentIo::heldInputReleaser() {
    return printer_ ? static_cast<HeldInputReleaser*>(printer_.get()) : desktop_.get();
}

AccessibilityTrust& AgentIo::accessibilityTrust() {
    return linuxTrust_ ? static_cast<AccessibilityTrust&>(*linuxTrust_) : printingTrust_;
}

HidHost& AgentIo::hidHost() {
    return replay_ ? static_cast<HidHost&>(*replay_) : *hidraw_;
}

const Clocks& AgentIo::clocks() const {
    return replay_ ? replay_->clocks() : SystemClocks::shared();
}

bool loadRecordings(const std::vector<std::string>& files, std::vector<HidRecording>& recordings) {
    for (const std::string& file : files) {
        auto parsed = HidRecordingParser::parseFile(file);
        if (!parsed.recording) {
            std::fprintf(stderr, "drawlume-agent: %s\n", parsed.message().c_str());
            return false;
        }
        recordings.push_back(std::move(*parsed.recording));
    }
    return true;
}

}  // namespace drawlume
