// The pen part of UinputEventSink: tablet records become frames of the pen device.

#include <algorithm>

#include "platform/linux/uinput/UinputDeviceLayout.hpp"
#include "platform/linux/uinput/UinputEventSink.hpp"
#include "platform/linux/uinput/UinputSinkValues.hpp"

namespace drawlume {

namespace {

constexpr UinputDeviceRole kPen = UinputDeviceRole::pen;
constexpr int64_t kEraserPointerType = 3;

}  // namespace

// Inline, as the one below: every pen report asks, and a call costs more than it does.
inline uint16_t UinputEventSink::penTool() const {
    const HeldKeySet& held = held_[static_cast<size_t>(kPen)];
    if (held.contains(BTN_TOOL_PEN)) {
        return BTN_TOOL_PEN;
    }
    if (held.contains(BTN_TOOL_RUBBER)) {
        return BTN_TOOL_RUBBER;
    }
    return 0;
}

inline Point UinputEventSink::penLocation(Point location) const {
    // A report at the pen's full range names the chosen display's far edge,
    // the first pixel past it: where no display continues there the desktop
    // drops the event, and where one does the pen lands on the wrong display.
    const Rect area = penDisplayFrame_ ? *penDisplayFrame_ : mapper_.desktopBounds();
    if (!(area.width() >= 1.0) || !(area.height() >= 1.0)) {
        return location;
    }
    return Point{std::clamp(location.x, area.minX(), area.maxX() - 1.0),
                 std::clamp(location.y, area.minY(), area.maxY() - 1.0)};
}

void UinputEventSink::postPen(const EventRecord& record, const PenFields& fields) {
    if (record.type == kCGEventTabletPointer) {
        // Announces the press that follows, which carries everything itself.
        return;
    }
    const Point at = penLocation(record.location);
    if (record.type == kCGEventTabletProximity) {
        if (integerValue(fields.enterProximity).value_or(0) == 0) {
            releaseRole(kPen, true);
            return;
        }
        const bool eraser = integerValue(fields.pointerType) == kEraserPointerType;
        penIn(eraser ? BTN_TOOL_RUBBER : BTN_TOOL_PEN, at);
        return;
    }
    // The tablet buttons field carries the tip in bit 0; up events carry the
    // button that goes up, so they always mean lifted and released.
    const bool up = record.type == kCGEventLeftMouseUp || record.type == kCGEventRightMouseUp;
    // With no tool in proximity (everything was released under the
    // translation's feet) a release has nothing left to do, and anything else
    // brings the last tool back first: libinput ignores positions without a tool.
    if (penTool() == 0 && (up || !penIn(lastTool_, at))) {
        return;
    }
    const int64_t buttons = integerValue(fields.buttons).value_or(0);
    const bool touching = !up && (buttons & 1) != 0;
    const bool barrel =
        record.type == kCGEventRightMouseDown || record.type == kCGEventRightMouseDragged;

    EvdevFrame frame;
    pushKey(frame, kPen, BTN_TOUCH, touching);  // first in a contact or lift frame
    int32_t pressure = 0;
    if (touching) {
        std::optional<double> value = doubleValue(fields.pointPressure);
        if (!value) {
            value = doubleValue(fields.mousePressure);
        }
        pressure = value ? touchPressureValue(*value) : touchPressureValue(0.0);
    }
    pushAbs(frame, kPen, ABS_PRESSURE, pressure);
    pushAbs(frame, kPen, ABS_X, penMapper_.axisX(at.x));
    pushAbs(frame, kPen, ABS_Y, penMapper_.axisY(at.y));
    if (const std::optional<double> tiltX = doubleValue(fields.tiltX)) {
        pushAbs(frame, kPen, ABS_TILT_X, tiltX_(*tiltX));
    }
    // The record holds tilt Y negated (y up); evdev's tilt Y is positive
    // toward the user, as the companion's report is.
    if (const std::optional<double> tiltY = doubleValue(fields.tiltY)) {
        pushAbs(frame, kPen, ABS_TILT_Y, tiltY_(-*tiltY));
    }
    if (const std::optional<double> rotation = doubleValue(fields.rotation)) {
        pushAbs(frame, kPen, ABS_Z, rotation_(*rotation));
    }
    // Desktops take BTN_STYLUS2 for the secondary button: the barrel.
    pushKey(frame, kPen, BTN_STYLUS2, barrel);
    if (frame.empty() || write(kPen, frame)) {
        lastLocation_ = at;
        hasPosted_ = true;
    }
}

bool UinputEventSink::penIn(uint16_t tool, Point location) {
    const uint16_t current = penTool();
    if (current == tool) {
        EvdevFrame frame;
        pushAbs(frame, kPen, ABS_X, penMapper_.axisX(location.x));
        pushAbs(frame, kPen, ABS_Y, penMapper_.axisY(location.y));
        if (!frame.empty() && !write(kPen, frame)) {
            return false;
        }
    } else {
        // Another tool leaves completely before this one comes in.
        if (current != 0 && !releaseRole(kPen, true)) {
            return false;
        }
        // libinput takes a pen device that has never sent a tool-out of its
        // own for one that cannot tell proximity: it forces a hovering pen
        // out after 50 ms without frames and loses barrel presses meanwhile.
        // So the very first entry visits once, in and out, hovering at zero
        // pressure where the tool enters anyway: nothing to draw, nothing to
        // move. Not at creation: no client has opened the device yet then.
        if (!penHasLeftOnce_) {
            EvdevFrame out;
            out.push(EV_KEY, BTN_TOOL_PEN, 0);
            if (!writeWholeInFrame(BTN_TOOL_PEN, location) || !write(kPen, out)) {
                return false;
            }
            penHasLeftOnce_ = true;
        }
        if (!writeWholeInFrame(tool, location)) {
            return false;
        }
        lastTool_ = tool;
    }
    lastLocation_ = location;
    hasPosted_ = true;
    return true;
}

bool UinputEventSink::writeWholeInFrame(uint16_t tool, Point location) {
    // Every axis, so that the new tool inherits nothing of the old one, at
    // zero pressure: hovering before any contact.
    EvdevFrame frame;
    frame.push(EV_ABS, ABS_X, penMapper_.axisX(location.x));
    frame.push(EV_ABS, ABS_Y, penMapper_.axisY(location.y));
    frame.push(EV_ABS, ABS_PRESSURE, 0);
    frame.push(EV_ABS, ABS_TILT_X, 0);
    frame.push(EV_ABS, ABS_TILT_Y, 0);
    frame.push(EV_ABS, ABS_Z, kUinputRotationZero);
    frame.push(EV_KEY, tool, 1);
    return write(kPen, frame);
}

}  // namespace drawlume
