#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <memory>
#include <optional>

#include <linux/input-event-codes.h>

#include "displays/ScreenList.hpp"
#include "events/EventSink.hpp"
#include "events/HeldInputReleaser.hpp"
#include "platform/linux/uinput/EvdevFrame.hpp"
#include "platform/linux/uinput/HeldKeySet.hpp"
#include "platform/linux/uinput/PointerPositionSource.hpp"
#include "platform/linux/uinput/UinputCoordinateMapper.hpp"
#include "platform/linux/uinput/UinputSinkValues.hpp"
#include "platform/linux/uinput/UinputWriter.hpp"

namespace drawlume {

// Turns event records into evdev frames on three uinput devices: tablet
// records drive the pen, other mouse and scroll records the absolute pointer,
// key records the keyboard. It remembers what the devices hold (tool in
// proximity, touch, buttons, keys) and lets go of all of it on request and
// when destroyed. Main thread only; nothing on the posting path allocates.
class UinputEventSink final : public EventSink, public HeldInputReleaser {
public:
    // Without a writer nothing can be posted: canCreateEvent() is false.
    // Without a pointer source the pointer is where this sink last put it.
    // With relative motion the pointer device writes the difference between a
    // record's location and currentPointerLocation(), which then stays at the
    // primary's centre, so the desktop moves the pointer from where it is.
    UinputEventSink(std::unique_ptr<UinputWriter> writer, const ScreenList& screens,
                    std::unique_ptr<PointerPositionSource> pointerSource = nullptr,
                    PointerMotion motion = PointerMotion::absolute);
    ~UinputEventSink() override;

    UinputEventSink(const UinputEventSink&) = delete;
    UinputEventSink& operator=(const UinputEventSink&) = delete;

    bool canCreateEvent() override;
    std::optional<Point> currentPointerLocation() override;
    void post(const EventRecord& record) override;
    void releaseAllHeldInput() override;

    // Reads the screen list again; call whenever the displays change.
    void screensChanged();
    // The display the pen is meant for (a position in the screen list), which
    // keeps the pen inside it; with `spanDisplayAlone` the pen's range covers
    // that display only, for desktops that spread the pen over one output.
    void setPenDisplay(std::optional<size_t> screenIndex, bool spanDisplayAlone);

    // Writes the frames that release everything held and nothing else: no
    // state changes, no logging, no allocation, only write(2) through the
    // writer. For the exit path, which may run inside a signal handler.
    void releaseAllHeldInputFromSignalHandler() noexcept;

private:
    static constexpr size_t kRoles = kUinputDeviceRoleCount;
    static constexpr size_t index(UinputDeviceRole role) { return static_cast<size_t>(role); }

    void postPen(const EventRecord& record, const PenFields& fields);
    void postPointer(const EventRecord& record);
    void postScroll(const EventRecord& record);
    void postKey(const EventRecord& record);

    // The pen's range and the display it stays on, from the screens.
    void updatePenArea();
    // The record's pen location kept on the pen's display.
    Point penLocation(Point location) const;
    bool penIn(uint16_t tool, Point location);
    uint16_t penTool() const;
    // The in frame of a tool that was not in proximity: every axis.
    bool writeWholeInFrame(uint16_t tool, Point location);

    // Appends the change only when the device does not have the value yet.
    // Defined here: every pen report calls them for each axis.
    void pushAbs(EvdevFrame& frame, UinputDeviceRole role, uint16_t code, int32_t value) {
        if (abs_[index(role)][code] != value) {
            frame.push(EV_ABS, code, value);
        }
    }
    void pushKey(EvdevFrame& frame, UinputDeviceRole role, uint16_t code, bool down) {
        if (held_[index(role)].contains(code) != down) {
            frame.push(EV_KEY, code, down ? 1 : 0);
        }
    }
    // Writes and, once the kernel has the frame, records its changes.
    bool write(UinputDeviceRole role, EvdevFrame& frame);
    void commit(UinputDeviceRole role, std::span<const EvdevEvent> frame);
    // Frames that let go of what a role holds; recorded as sent when `commit`.
    bool releaseRole(UinputDeviceRole role, bool commit);
    bool writeRelease(UinputDeviceRole role, EvdevFrame& frame, bool commit);

    std::unique_ptr<UinputWriter> writer_;
    const ScreenList& screens_;
    std::unique_ptr<PointerPositionSource> pointerSource_;
    PointerMotion motion_;
    UinputCoordinateMapper mapper_;
    UinputCoordinateMapper penMapper_;
    std::optional<size_t> penScreen_;
    bool penSpansDisplay_ = false;
    std::optional<Rect> penDisplayFrame_;

    std::array<HeldKeySet, kRoles> held_;
    std::array<std::array<int32_t, ABS_CNT>, kRoles> abs_{};
    std::array<bool, kRoles> writeFailing_{};

    RememberedConversion<tiltValue> tiltX_;
    RememberedConversion<tiltValue> tiltY_;
    RememberedConversion<rotationValue> rotation_;
    uint16_t lastTool_ = BTN_TOOL_PEN;
    bool penHasLeftOnce_ = false;
    Point lastLocation_;
    bool hasPosted_ = false;
    std::optional<Point> lastSeenPointer_;
    std::bitset<65536> warnedKeyCodes_;
    bool warnedScrollUnits_ = false;
};

}  // namespace drawlume
