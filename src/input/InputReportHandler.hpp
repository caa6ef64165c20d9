#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <unordered_map>

#include "events/EventGeneratorProtocol.hpp"
#include "events/TranslationEnvironment.hpp"
#include "input/HeldKeys.hpp"

namespace drawlume {

// Receives every raw input report of the active tablet device, routes it by
// report ID to the pen, mouse or keyboard translation and owns all translation
// state. It never talks to the window system itself: every event goes out
// through the generator it was given. Main thread only; the report path
// allocates nothing and builds no text that the log level drops.
class InputReportHandler {
public:
    static constexpr double MAX_PRESSURE = 32767.0;
    static constexpr double MAX_COORDINATE = 32767.0;

    InputReportHandler(std::shared_ptr<EventGeneratorProtocol> eventGenerator,
                       const TranslationEnvironment& environment);

    InputReportHandler(const InputReportHandler&) = delete;
    InputReportHandler& operator=(const InputReportHandler&) = delete;

    // `report` holds `reportLength` bytes, the report ID byte first; it may be
    // null. `type` is the platform's report type and is not used.
    void handleInputReport(int64_t deviceHash, uint32_t type, uint32_t reportID,
                           const uint8_t* report, int64_t reportLength);

    // Forgets the pen (out of range, nothing pressed), the click count and the
    // report timing. Posts nothing: a held pen gets no release.
    void resetPenState();
    // Forgets the button bits of one device, so that buttons still held are
    // pressed again by its next report.
    void resetMouseState(int64_t deviceHash);
    // Forgets the held keys and modifiers, for when the event output has
    // released them: the next report presses what it holds again. Posts nothing.
    void resetKeyboardState();

    // The HID keyboard usage's virtual key code, for usages 0x04 to 0x63.
    static std::optional<uint16_t> keyCode(uint8_t usage);

    bool wasInRange() const { return wasInRange_; }
    bool isPenDown() const { return isPenDown_; }
    int64_t clickCount() const { return clickCount_; }
    int64_t digitizerEventCount() const { return digitizerEventCount_; }
    uint64_t lastDigitizerEventTime() const { return lastDigitizerEventTime_; }

private:
    // The check is here, the work in the .cpp: mostly nobody collects.
    void trackDigitizerLatencyIfNeeded() {
        if (debugLines_.isEnabled()) {
            trackDigitizerLatency();
        }
    }
    void trackDigitizerLatency();
    void resetDigitizerTiming();
    void handleDigitizerInputReport(const uint8_t* report, int64_t reportLength);
    void handleMouseInputReport(int64_t deviceHash, const uint8_t* report, int64_t reportLength);
    // The pen in range, touching or not: press, drag, lift, barrel and hover.
    void postPenInRange(Point point, double pressure, double tiltX, double tiltY, double rotation,
                        bool touching, bool barrel);
    // One event per mouse button whose state changed.
    void postMouseButtonChanges(uint8_t buttons, uint8_t changed);
    void handleKeyboardInputReport(const uint8_t* report, int64_t reportLength);
    void handleModifierChanges(uint8_t previous, uint8_t current);
    // Posts one key's change with the report's modifiers, or warns that the
    // usage has no key code.
    void postKey(uint8_t usage, bool down, uint8_t modifiers);
    // Counts a press of the pen or the left mouse button as a single or
    // double click; returns whether it was a double click.
    bool countClick();

    std::shared_ptr<EventGeneratorProtocol> eventGenerator_;
    TargetScreenFrameProvider& targetScreenFrameProvider_;
    const Clocks& clocks_;
    DebugLines& debugLines_;

    // Report timing for the live debug view.
    uint64_t lastDigitizerEventTime_ = 0;  // monotonic ns; 0 = none yet
    int64_t digitizerEventCount_ = 0;
    double lastStatsLogTime_ = 0;  // wall clock, seconds since 2001-01-01
    bool isFirstStatsLog_ = true;

    // Last button bits (masked with 7) per device hash.
    std::unordered_map<int64_t, uint8_t> mouseButtonStates_;

    // The pen.
    bool wasInRange_ = false;
    bool isPenDown_ = false;
    bool isPenDownWithBarrel_ = false;
    bool isBarrelDown_ = false;

    // Shared by the pen press and the left mouse button.
    int64_t clickCount_ = 0;
    double lastClickTime_ = 0;  // wall clock, seconds since 2001-01-01
    static constexpr double doubleClickInterval = 0.5;

    // The keyboard as the window system has been told it is: nothing held
    // once the event output has let go of everything.
    uint8_t previousModifiers_ = 0;
    HeldKeys previousKeyCodes_;
};

}  // namespace drawlume
