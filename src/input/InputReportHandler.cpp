#include "input/InputReportHandler.hpp"

#include <utility>

#include "input/CompanionReportLayout.hpp"
#include "logging/LogMacros.hpp"

namespace drawlume {

namespace {
constexpr const char* kLogFile = "Drawlume___Bluetooth_Agent/InputReportHandler";
}  // namespace

InputReportHandler::InputReportHandler(std::shared_ptr<EventGeneratorProtocol> eventGenerator,
                                       const TranslationEnvironment& environment)
    : eventGenerator_(std::move(eventGenerator)),
      targetScreenFrameProvider_(environment.targetScreenFrameProvider),
      clocks_(environment.clocks),
      debugLines_(environment.debugLines),
      lastStatsLogTime_(environment.clocks.secondsSinceReferenceDate()) {}

void InputReportHandler::handleInputReport(int64_t deviceHash, uint32_t /*type*/, uint32_t reportID,
                                           const uint8_t* report, int64_t reportLength) {
    if (report == nullptr) {
        return;
    }
    switch (reportID) {
        case companion::kMouseReportID:
            handleMouseInputReport(deviceHash, report, reportLength);
            break;
        case companion::kKeyboardReportID:
            handleKeyboardInputReport(report, reportLength);
            break;
        case companion::kPenReportID:
            trackDigitizerLatencyIfNeeded();
            handleDigitizerInputReport(report, reportLength);
            break;
        default:
            DDLogError("handleInputReport(deviceHash:type:reportID:report:reportLength:)",
                       strf("ERROR: Undefined report ID: %u", reportID));
            break;
    }
}

void InputReportHandler::resetPenState() {
    wasInRange_ = false;
    isPenDown_ = false;
    isPenDownWithBarrel_ = false;
    isBarrelDown_ = false;
    clickCount_ = 0;
    lastClickTime_ = 0;
    resetDigitizerTiming();
    DDLogInfo("resetPenState()", "Pen state reset");
}

void InputReportHandler::resetMouseState(int64_t deviceHash) {
    mouseButtonStates_.erase(deviceHash);
}

void InputReportHandler::resetKeyboardState() {
    previousModifiers_ = 0;
    previousKeyCodes_ = HeldKeys();
}

bool InputReportHandler::countClick() {
    const double now = clocks_.secondsSinceReferenceDate();
    if (now - lastClickTime_ >= doubleClickInterval) {
        clickCount_ = 1;
        lastClickTime_ = now;
        return false;
    }
    clickCount_ = 2;
    // A third quick press starts over as a single click.
    lastClickTime_ = 0;
    return true;
}

}  // namespace drawlume
