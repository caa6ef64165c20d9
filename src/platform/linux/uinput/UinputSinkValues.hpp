#pragma once

#include <cstddef>  // EventRecord.hpp uses size_t without including it
#include <cstdint>
#include <optional>

#include "events/EventRecord.hpp"

namespace drawlume {

// Pure conversions from record values to evdev values, kept apart from the
// sink so that each can be checked on its own.

// The last value written to an integer field (a double field is converted).
std::optional<int64_t> integerField(const EventRecord& record, CGEventField field);
// The last value written to a double field (an integer field is converted).
std::optional<double> doubleField(const EventRecord& record, CGEventField field);

// Whether a mouse record belongs to the pen: proximity and tablet-pointer
// events, and mouse events whose subtype says tablet point.
bool isTabletRecord(const EventRecord& record);

// Pressure 0..1 of a touching pen. libinput 1.22 takes the tip as down from
// 5 % of the range and reports (value - 1 % of the range) / the rest, so a
// touch never goes below the 5 % mark and the core's pressure comes out as is.
int32_t touchPressureValue(double pressure);
// Tilt -1..1 (a quarter turn) as hundredths of a degree.
int32_t tiltValue(double tilt);
// Clockwise rotation in degrees as ABS_Z, to which libinput adds 90 degrees.
int32_t rotationValue(double degrees);
// Lines as high-resolution wheel units, 120 to the detent.
int32_t highResolutionWheel(int64_t lines);
int32_t clampToInt32(int64_t value);

}  // namespace drawlume
