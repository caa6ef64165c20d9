#include "platform/linux/uinput/UinputEventSink.hpp"

#include <cmath>
#include <utility>

#include "logging/LogMacros.hpp"
#include "platform/linux/uinput/MacKeyCodeMap.hpp"
#include "platform/linux/uinput/UinputDeviceLayout.hpp"
#include "platform/linux/uinput/UinputSinkValues.hpp"

namespace drawlume {

namespace {

constexpr const char* kLogFile = "Drawlume___Bluetooth_Agent/UinputEventSink";

const char* roleName(UinputDeviceRole role) {
    switch (role) {
        case UinputDeviceRole::pen:
            return "pen";
        case UinputDeviceRole::pointer:
            return "pointer";
        case UinputDeviceRole::keyboard:
            return "keyboard";
    }
    return "unknown";
}

// The button a mouse record's type presses, releases or drags with.
std::optional<uint16_t> buttonOf(const EventRecord& record) {
    switch (record.type) {
        case kCGEventLeftMouseDown:
        case kCGEventLeftMouseUp:
        case kCGEventLeftMouseDragged:
            return BTN_LEFT;
        case kCGEventRightMouseDown:
        case kCGEventRightMouseUp:
        case kCGEventRightMouseDragged:
            return BTN_RIGHT;
        case kCGEventOtherMouseDown:
        case kCGEventOtherMouseUp:
        case kCGEventOtherMouseDragged:
            if (record.mouseButton == kCGMouseButtonCenter) {
                return BTN_MIDDLE;
            }
            return std::nullopt;
        default:
            return std::nullopt;
    }
}

bool isPress(CGEventType type) {
    return type == kCGEventLeftMouseDown || type == kCGEventRightMouseDown ||
           type == kCGEventOtherMouseDown;
}

bool isRelease(CGEventType type) {
    return type == kCGEventLeftMouseUp || type == kCGEventRightMouseUp ||
           type == kCGEventOtherMouseUp;
}

}  // namespace

UinputEventSink::UinputEventSink(std::unique_ptr<UinputWriter> writer, const ScreenList& screens,
                                 std::unique_ptr<PointerPositionSource> pointerSource,
                                 PointerMotion motion)
    : writer_(std::move(writer)),
      screens_(screens),
      pointerSource_(std::move(pointerSource)),
      motion_(motion),
      mapper_(0, kUinputPositionMaximum),
      penMapper_(0, kUinputPositionMaximum) {
    // Start from the values the kernel gives a new device.
    for (size_t role = 0; role < kRoles; ++role) {
        for (const UinputAxis& axis :
             uinputDeviceLayout(static_cast<UinputDeviceRole>(role), motion).absoluteAxes) {
            abs_[role][axis.code] = axis.initialValue;
        }
    }
    screensChanged();
}

UinputEventSink::~UinputEventSink() {
    releaseAllHeldInput();
}

bool UinputEventSink::canCreateEvent() {
    return writer_ != nullptr;
}

void UinputEventSink::screensChanged() {
    mapper_.setScreens(screens_.screens());
    updatePenArea();
    if (!hasPosted_ || motion_ == PointerMotion::relative) {
        lastLocation_ = mapper_.primaryCentre();
    }
    if (!mapper_.hasScreens()) {
        DDLogWarn("screensChanged()",
                  "No displays listed: pen and pointer positions all go to the desktop's "
                  "top-left corner");
    }
}

void UinputEventSink::setPenDisplay(std::optional<size_t> screenIndex, bool spanDisplayAlone) {
    penScreen_ = screenIndex;
    penSpansDisplay_ = spanDisplayAlone;
    updatePenArea();
}

void UinputEventSink::updatePenArea() {
    const std::span<const ScreenDescription> screens = screens_.screens();
    penMapper_.setScreens(screens);
    penDisplayFrame_.reset();
    if (penScreen_ && *penScreen_ < screens.size()) {
        penDisplayFrame_ = eventFrame(screens[*penScreen_].frame, screens.front().frame);
        if (penSpansDisplay_) {
            penMapper_.setArea(*penDisplayFrame_);
        }
    }
}

std::optional<Point> UinputEventSink::currentPointerLocation() {
    if (!writer_) {
        return std::nullopt;
    }
    if (motion_ == PointerMotion::relative) {
        // A fixed point of reference: the generator's target minus this point
        // is the motion, and the primary's centre is far enough from every
        // edge that keeping the target on the displays never cuts it short.
        return mapper_.primaryCentre();
    }
    if (pointerSource_) {
        if (const std::optional<Point> desktop = pointerSource_->pointerPosition()) {
            const Rect& bounds = mapper_.desktopBounds();
            const Point seen{desktop->x + bounds.minX(), desktop->y + bounds.minY()};
            // The window system reports whole pixels and may not have taken in
            // our last frame yet. Only a position that is neither ours nor the
            // one it reported before means another device moved the pointer.
            const bool ours = std::fabs(seen.x - lastLocation_.x) < 1.0 &&
                              std::fabs(seen.y - lastLocation_.y) < 1.0;
            const bool stale = lastSeenPointer_ && *lastSeenPointer_ == seen;
            lastSeenPointer_ = seen;
            if (!ours && !stale) {
                lastLocation_ = seen;
            }
        }
    }
    return lastLocation_;
}

void UinputEventSink::post(const EventRecord& record) {
    if (!writer_) {
        return;
    }
    switch (record.kind) {
        case EventRecordKind::mouse:
            if (const PenFields fields = penFields(record); isTabletRecord(record, fields)) {
                postPen(record, fields);
            } else {
                postPointer(record);
            }
            break;
        case EventRecordKind::empty:
            if (record.type == kCGEventTabletProximity) {
                postPen(record, penFields(record));
            }
            break;
        case EventRecordKind::scrollWheel:
            postScroll(record);
            break;
        case EventRecordKind::keyboard:
            postKey(record);
            break;
    }
}

void UinputEventSink::postPointer(const EventRecord& record) {
    constexpr UinputDeviceRole kRole = UinputDeviceRole::pointer;
    EvdevFrame frame;
    if (motion_ == PointerMotion::relative) {
        // Counts as they came: the desktop applies its own acceleration.
        const Point origin = mapper_.primaryCentre();
        const int32_t dx = clampToInt32(std::llround(record.location.x - origin.x));
        const int32_t dy = clampToInt32(std::llround(record.location.y - origin.y));
        if (dx != 0) {
            frame.push(EV_REL, REL_X, dx);
        }
        if (dy != 0) {
            frame.push(EV_REL, REL_Y, dy);
        }
    } else {
        pushAbs(frame, kRole, ABS_X, mapper_.axisX(record.location.x));
        pushAbs(frame, kRole, ABS_Y, mapper_.axisY(record.location.y));
    }
    if (const std::optional<uint16_t> button = buttonOf(record)) {
        if (isPress(record.type)) {
            pushKey(frame, kRole, *button, true);
        } else if (isRelease(record.type)) {
            pushKey(frame, kRole, *button, false);
        }
    }
    if (frame.empty() || write(kRole, frame)) {
        lastLocation_ = record.location;
        hasPosted_ = true;
    }
}

void UinputEventSink::postScroll(const EventRecord& record) {
    if (record.scrollUnits != kCGScrollEventUnitLine) {
        if (!warnedScrollUnits_) {
            warnedScrollUnits_ = true;
            DDLogWarn("post(_:)", strf("Scroll events in units %u are not supported and dropped",
                                       record.scrollUnits));
        }
        return;
    }
    const int32_t vertical = record.wheelCount >= 1 ? record.wheels[0] : 0;
    const int32_t horizontal = record.wheelCount >= 2 ? record.wheels[1] : 0;
    // A legacy wheel code never travels without its high-resolution partner:
    // libinput would otherwise switch to emulating one from the other for good.
    EvdevFrame frame;
    if (vertical != 0) {
        frame.push(EV_REL, REL_WHEEL_HI_RES, highResolutionWheel(vertical));
        frame.push(EV_REL, REL_WHEEL, vertical);
    }
    if (horizontal != 0) {
        // Positive line counts scroll left here and right on evdev.
        frame.push(EV_REL, REL_HWHEEL_HI_RES, highResolutionWheel(-int64_t{horizontal}));
        frame.push(EV_REL, REL_HWHEEL, clampToInt32(-int64_t{horizontal}));
    }
    if (!frame.empty()) {
        write(UinputDeviceRole::pointer, frame);
    }
}

void UinputEventSink::postKey(const EventRecord& record) {
    const std::optional<uint16_t> key = linuxKeyForMacKeyCode(record.keyCode);
    if (!key) {
        if (!warnedKeyCodes_.test(record.keyCode)) {
            warnedKeyCodes_.set(record.keyCode);
            DDLogWarn("post(_:)",
                      strf("No Linux key for virtual key code %u (0x%02X): its key events are "
                           "dropped",
                           record.keyCode, record.keyCode));
        }
        return;
    }
    // Only down and up: the desktop repeats held keys itself.
    EvdevFrame frame;
    pushKey(frame, UinputDeviceRole::keyboard, *key, record.keyDown);
    if (!frame.empty()) {
        write(UinputDeviceRole::keyboard, frame);
    }
}

void UinputEventSink::releaseAllHeldInput() {
    if (!writer_) {
        return;
    }
    int released = 0;
    for (const HeldKeySet& held : held_) {
        held.forEach([&released](uint16_t) { ++released; });
    }
    for (size_t role = 0; role < kRoles; ++role) {
        releaseRole(static_cast<UinputDeviceRole>(role), true);
    }
    if (released > 0) {
        DDLogInfo("releaseAllHeldInput()",
                  strf("Released %d held tools, buttons and keys", released));
    }
}

void UinputEventSink::releaseAllHeldInputFromSignalHandler() noexcept {
    if (!writer_) {
        return;
    }
    for (size_t role = 0; role < kRoles; ++role) {
        releaseRole(static_cast<UinputDeviceRole>(role), false);
    }
}

bool UinputEventSink::releaseRole(UinputDeviceRole role, bool commit) {
    const HeldKeySet& held = held_[index(role)];
    EvdevFrame frame;
    if (role == UinputDeviceRole::pen && held.contains(BTN_TOUCH)) {
        // Lift first, in a frame of its own, so the tool leaves from hovering.
        frame.push(EV_KEY, BTN_TOUCH, 0);
        frame.push(EV_ABS, ABS_PRESSURE, 0);
        if (!writeRelease(role, frame, commit)) {
            return false;
        }
    }
    bool written = true;
    // Stylus buttons come before the tool in the same frame, the tool last.
    held.forEach([&](uint16_t code) {
        if (role == UinputDeviceRole::pen &&
            (code == BTN_TOUCH || code == BTN_TOOL_PEN || code == BTN_TOOL_RUBBER)) {
            return;
        }
        if (frame.full()) {
            written = writeRelease(role, frame, commit) && written;
        }
        frame.push(EV_KEY, code, 0);
    });
    if (role == UinputDeviceRole::pen) {
        for (const uint16_t tool : {BTN_TOOL_PEN, BTN_TOOL_RUBBER}) {
            if (held.contains(tool)) {
                frame.push(EV_KEY, tool, 0);
            }
        }
    }
    return writeRelease(role, frame, commit) && written;
}

bool UinputEventSink::writeRelease(UinputDeviceRole role, EvdevFrame& frame, bool commit) {
    if (frame.empty()) {
        return true;
    }
    bool written = false;
    if (commit) {
        written = write(role, frame);
    } else {
        written = writer_->writeFrame(role, frame.finish()) == 0;
    }
    frame.clear();
    return written;
}

bool UinputEventSink::write(UinputDeviceRole role, EvdevFrame& frame) {
    const std::span<const EvdevEvent> events = frame.finish();
    const int error = writer_->writeFrame(role, events);
    bool& failing = writeFailing_[index(role)];
    if (error != 0) {
        // Logged once until a write succeeds again, not once per report.
        if (!failing) {
            failing = true;
            DDLogError("post(_:)", strf("Cannot write to the uinput %s device: %s", roleName(role),
                                        errnoText(error).c_str()));
        }
        return false;
    }
    failing = false;
    commit(role, events);
    return true;
}

// Only `write` commits, once a report: inline there.
inline void UinputEventSink::commit(UinputDeviceRole role, std::span<const EvdevEvent> frame) {
    for (const EvdevEvent& event : frame) {
        if (event.type == EV_KEY) {
            held_[index(role)].set(event.code, event.value != 0);
        } else if (event.type == EV_ABS && event.code < ABS_CNT) {
            abs_[index(role)][event.code] = event.value;
        }
    }
}

}  // namespace drawlume
