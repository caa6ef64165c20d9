// The mouse: button changes against the same device's previous report, then
// motion, then the wheels.

#include "input/CompanionReportLayout.hpp"
#include "input/InputReportHandler.hpp"
#include "logging/LogMacros.hpp"

namespace drawlume {

namespace {
constexpr const char* kLogFile = "Drawlume___Bluetooth_Agent/InputReportHandler";
constexpr const char* kFunction = "handleMouseInputReport(deviceHash:report:reportLength:)";

using namespace companion;

constexpr uint8_t kLeftBit = kMouseLeftBit;
constexpr uint8_t kRightBit = kMouseRightBit;
constexpr uint8_t kMiddleBit = kMouseMiddleBit;
constexpr uint8_t kButtonBits = kLeftBit | kRightBit | kMiddleBit;

// A two's-complement byte of the report, as the generator takes it.
int8_t signedByte(uint8_t byte) {
    return static_cast<int8_t>(byte);
}

// A two's-complement byte of the report as a wheel's line count.
int32_t lineCount(uint8_t byte) {
    return byte < 0x80 ? byte : byte - 0x100;
}
}  // namespace

void InputReportHandler::handleMouseInputReport(int64_t deviceHash, const uint8_t* report,
                                                int64_t reportLength) {
    if (report == nullptr ||
        (reportLength != kShortMouseReportLength && reportLength != kLongMouseReportLength)) {
        return;
    }
    const uint8_t buttons = report[kMouseButtonsByte] & kButtonBits;
    // Stored before anything is posted: a release lost by the sink is not repeated.
    uint8_t& stored = mouseButtonStates_[deviceHash];
    const uint8_t previous = stored;
    stored = buttons;
    const uint8_t changed = previous ^ buttons;
    const int8_t dx = signedByte(report[kMouseXByte]);
    const int8_t dy = signedByte(report[kMouseYByte]);

    postMouseButtonChanges(buttons, changed);

    EventGeneratorProtocol& events = *eventGenerator_;
    if (dx != 0 || dy != 0) {
        // A held button turns the move into that button's drag, left first.
        CGEventType type = kCGEventMouseMoved;
        CGMouseButton button = kCGMouseButtonLeft;
        if ((buttons & kLeftBit) != 0) {
            type = kCGEventLeftMouseDragged;
        } else if ((buttons & kRightBit) != 0) {
            type = kCGEventRightMouseDragged;
            button = kCGMouseButtonRight;
        } else if ((buttons & kMiddleBit) != 0) {
            type = kCGEventOtherMouseDragged;
            button = kCGMouseButtonCenter;
        }
        events.postRelativeMouseEvent(type, dx, dy, button, 0);
    }

    const int32_t vertical = lineCount(report[kMouseWheelByte]);
    const int32_t horizontal =
        reportLength == kLongMouseReportLength ? lineCount(report[kMousePanByte]) : 0;
    if (vertical != 0 || horizontal != 0) {
        events.postScrollEvent(vertical, horizontal);
    }
}

void InputReportHandler::postMouseButtonChanges(uint8_t buttons, uint8_t changed) {
    EventGeneratorProtocol& events = *eventGenerator_;
    if ((changed & kLeftBit) != 0) {
        if ((buttons & kLeftBit) != 0) {
            const bool doubleClick = countClick();
            DDLogDebug(kFunction, doubleClick ? "Mouse LEFT button DOWN - DOUBLE CLICK"
                                              : "Mouse LEFT button DOWN - SINGLE CLICK");
            events.postRelativeMouseEvent(kCGEventLeftMouseDown, 0, 0, kCGMouseButtonLeft,
                                          clickCount_);
        } else {
            DDLogDebug(kFunction, "Mouse LEFT button UP");
            events.postRelativeMouseEvent(kCGEventLeftMouseUp, 0, 0, kCGMouseButtonLeft,
                                          clickCount_);
        }
    }
    if ((changed & kRightBit) != 0) {
        const bool down = (buttons & kRightBit) != 0;
        DDLogDebug(kFunction, down ? "Mouse RIGHT button DOWN" : "Mouse RIGHT button UP");
        events.postRelativeMouseEvent(down ? kCGEventRightMouseDown : kCGEventRightMouseUp, 0, 0,
                                      kCGMouseButtonRight, 0);
    }
    if ((changed & kMiddleBit) != 0) {
        const bool down = (buttons & kMiddleBit) != 0;
        DDLogDebug(kFunction, down ? "Mouse MIDDLE button DOWN" : "Mouse MIDDLE button UP");
        events.postRelativeMouseEvent(down ? kCGEventOtherMouseDown : kCGEventOtherMouseUp, 0, 0,
                                      kCGMouseButtonCenter, down ? 1 : 0);
    }
}

}  // namespace drawlume
