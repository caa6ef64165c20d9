// The pen: a digitizer report becomes proximity, press, drag, release, hover
// and barrel-button events on the chosen display.

#include <algorithm>

#include "input/CompanionReportLayout.hpp"
#include "input/InputReportHandler.hpp"
#include "logging/LogMacros.hpp"

namespace drawlume {

namespace {
constexpr const char* kLogFile = "Drawlume___Bluetooth_Agent/InputReportHandler";
constexpr const char* kFunction = "handleDigitizerInputReport(report:reportLength:)";

using namespace companion;

uint16_t readUInt16(const uint8_t* bytes) {
    return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
}

// Tilt in degrees, clamped to a right angle either way, as a fraction of it.
double normalisedTilt(uint8_t byte) {
    const int degrees = std::clamp(static_cast<int>(static_cast<int8_t>(byte)), -90, 90);
    return degrees / 90.0;
}

const char* tagFor(uint8_t flags) {
    if ((flags & kPenInvertBit) == 0) {
        return "[Pen]";
    }
    return (flags & kPenEraserBit) != 0 ? "[Inverted|Eraser]" : "[Inverted]";
}
}  // namespace

void InputReportHandler::handleDigitizerInputReport(const uint8_t* report, int64_t reportLength) {
    // The layout is fixed; a shorter report would be read past its end.
    if (report == nullptr || reportLength < kPenReportLength) {
        return;
    }
    const uint8_t flags = report[kPenFlagsByte];
    const bool tip = (flags & kPenTipBit) != 0;
    const bool barrel = (flags & kPenBarrelBit) != 0;
    const bool invert = (flags & kPenInvertBit) != 0;
    const bool inRange = (flags & kPenInRangeBit) != 0;
    const bool touching = tip || (flags & kPenEraserBit) != 0;
    const uint16_t twist = readUInt16(report + kPenTwistByte);

    const Rect frame = targetScreenFrameProvider_.targetScreenFrame();
    const Point point{
        frame.origin.x + (readUInt16(report + kPenXByte) / MAX_COORDINATE) * frame.width(),
        frame.origin.y + (readUInt16(report + kPenYByte) / MAX_COORDINATE) * frame.height()};
    const double pressure = readUInt16(report + kPenPressureByte) / MAX_PRESSURE;
    const double tiltX = normalisedTilt(report[kPenTiltXByte]);
    const double tiltY = normalisedTilt(report[kPenTiltYByte]);
    const double rotation = std::min<uint16_t>(twist, 359);

    DDLogDebug(kFunction,
               strf("%s (%.0f, %.0f) pressure=%.2f tip=%d barrel=%d range=%d tiltX=%.2f "
                    "tiltY=%.2f twist=%u",
                    tagFor(flags), point.x, point.y, pressure, tip ? 1 : 0, barrel ? 1 : 0,
                    inRange ? 1 : 0, tiltX, tiltY, static_cast<unsigned>(twist)));

    EventGeneratorProtocol& events = *eventGenerator_;
    if (wasInRange_ && !inRange) {
        // Leaving: a barrel click still held in this report gets no release.
        if (!barrel && isBarrelDown_) {
            isBarrelDown_ = false;
            events.postRightMouseUp(point);
        }
        events.postProximityExit(invert);
        wasInRange_ = false;
        isBarrelDown_ = false;
        DDLogDebug(kFunction, strf("%s exited", tagFor(flags)));
        return;
    }
    if (!wasInRange_) {
        // Any report while away enters, whatever its in-range bit says.
        events.postProximityEnter(point, invert);
        wasInRange_ = true;
    }
    postPenInRange(point, pressure, tiltX, tiltY, rotation, touching, barrel);
}

void InputReportHandler::postPenInRange(Point point, double pressure, double tiltX, double tiltY,
                                        double rotation, bool touching, bool barrel) {
    EventGeneratorProtocol& events = *eventGenerator_;
    if (touching) {
        if (isPenDown_) {
            events.postPenDragged(point, pressure, tiltX, tiltY, rotation, barrel);
            return;
        }
        DDLogDebug(kFunction, "Pen is DOWN");
        isPenDown_ = true;
        isPenDownWithBarrel_ = barrel;
        events.postTabletPointer(point);
        const bool doubleClick = countClick();
        DDLogDebug(kFunction, doubleClick ? "click TWO" : "click ONE");
        events.postPenDown(point, pressure, tiltX, tiltY, rotation, barrel, clickCount_);
        return;
    }

    if (isPenDown_) {
        // Released with the button it was pressed with, whatever the barrel does now.
        DDLogDebug(kFunction, "Pen is UP");
        events.postPenUp(point, isPenDownWithBarrel_, clickCount_);
    }
    isPenDown_ = false;
    isPenDownWithBarrel_ = false;
    if (barrel) {
        if (!isBarrelDown_) {
            isBarrelDown_ = true;
            events.postRightMouseDown(point);
        } else {
            events.postRightMouseDragged(point);
        }
    } else if (isBarrelDown_) {
        isBarrelDown_ = false;
        events.postRightMouseUp(point);
    } else {
        events.postTabletMove(point, tiltX, tiltY, rotation);
    }
}

}  // namespace drawlume
