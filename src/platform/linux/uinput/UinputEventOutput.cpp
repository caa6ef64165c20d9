#include "platform/linux/uinput/UinputEventOutput.hpp"

#include <utility>

#include "logging/LogMacros.hpp"

namespace drawlume {

namespace {
constexpr const char* kLogFile = "Drawlume___Bluetooth_Agent/UinputEventOutput";
}

UinputEventOutput::UinputEventOutput(const ScreenList& screens, std::string uinputPath,
                                     CreateDevices createDevices,
                                     OpenPointerSource openPointerSource, PointerMotion motion,
                                     MapPen mapPen)
    : screens_(screens),
      uinputPath_(std::move(uinputPath)),
      createDevices_(std::move(createDevices)),
      openPointerSource_(std::move(openPointerSource)),
      motion_(motion),
      mapPen_(std::move(mapPen)) {}

UinputEventOutput::~UinputEventOutput() {
    close();
}

std::optional<AccessibilityTrustState> UinputEventOutput::open() {
    if (sink_) {
        return std::nullopt;
    }
    Devices devices = createDevices_(uinputPath_);
    if (!devices.writer) {
        if (devices.failure != loggedFailure_) {
            loggedFailure_ = devices.failure;
            DDLogError("open()", "Cannot create the uinput devices: " + devices.failure);
        }
        return AccessibilityTrustState{false, AccessibilityTrustReason::outputUnusable, uinputPath_,
                                       devices.error, ""};
    }
    loggedFailure_.clear();
    sink_ = std::make_unique<UinputEventSink>(std::move(devices.writer), screens_,
                                              openPointerSource_ ? openPointerSource_() : nullptr,
                                              motion_);
    penNode_ = devices.penNode;
    sink_->setPenDisplay(penScreen_, false);
    exitGuard_.emplace(*sink_);
    return std::nullopt;
}

void UinputEventOutput::close() {
    if (!sink_) {
        return;
    }
    // The guard goes first: it must never reach a sink that is gone.
    exitGuard_.reset();
    // The sink lets go of everything, then the devices are removed with it.
    sink_.reset();
    DDLogInfo("close()", "Removed the uinput devices");
}

PenDisplayMapping UinputEventOutput::mapPenToDisplay(int64_t screenIndex) {
    const std::span<const ScreenDescription> screens = screens_.screens();
    penScreen_.reset();
    if (screenIndex >= 0 && static_cast<size_t>(screenIndex) < screens.size()) {
        penScreen_ = static_cast<size_t>(screenIndex);
    }
    if (!sink_) {
        return PenDisplayMapping::wholeDesktop;
    }
    PenDisplayMapping mapping = PenDisplayMapping::wholeDesktop;
    if (mapPen_ && penScreen_ && !penNode_.empty()) {
        const std::string& output = screens[*penScreen_].name;
        if (!output.empty()) {
            mapping = mapPen_(penNode_, output);
        }
    }
    // Only a desktop that took the mapping spreads the pen over one display;
    // everywhere else its range stays the whole desktop.
    sink_->setPenDisplay(penScreen_, mapping == PenDisplayMapping::mapped);
    return mapping;
}

bool UinputEventOutput::canCreateEvent() {
    return sink_ && sink_->canCreateEvent();
}

std::optional<Point> UinputEventOutput::currentPointerLocation() {
    return sink_ ? sink_->currentPointerLocation() : std::nullopt;
}

void UinputEventOutput::post(const EventRecord& record) {
    if (sink_) {
        sink_->post(record);
    }
}

void UinputEventOutput::releaseAllHeldInput() {
    if (sink_) {
        sink_->releaseAllHeldInput();
    }
}

void UinputEventOutput::screensChanged() {
    if (sink_) {
        sink_->screensChanged();
    }
}

}  // namespace drawlume
