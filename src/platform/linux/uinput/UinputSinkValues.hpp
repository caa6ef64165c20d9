#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>  // EventRecord.hpp uses size_t without including it
#include <cstdint>
#include <optional>

#include "events/EventRecord.hpp"

namespace drawlume {

// Pure conversions from record values to evdev values, kept apart from the
// sink so that each can be checked on its own.

// The last writes of the fields the pen's frames read, found in one pass over
// the record: a record is built and read for every report, and looking each
// field up on its own would read all its writes again for every axis.
struct PenFields {
    const EventFieldWrite* subtype = nullptr;
    const EventFieldWrite* enterProximity = nullptr;
    const EventFieldWrite* pointerType = nullptr;
    const EventFieldWrite* buttons = nullptr;
    const EventFieldWrite* pointPressure = nullptr;
    const EventFieldWrite* mousePressure = nullptr;
    const EventFieldWrite* tiltX = nullptr;
    const EventFieldWrite* tiltY = nullptr;
    const EventFieldWrite* rotation = nullptr;
};

namespace detail {
// Where each field the pen reads is kept, by field number; slot 0 takes the
// rest. A table, not a switch: a jump table costs each write an indirect jump,
// which under emulation is a lookup of its own.
enum PenFieldSlot : uint8_t {
    kOtherField,
    kSubtypeSlot,
    kEnterProximitySlot,
    kPointerTypeSlot,
    kButtonsSlot,
    kPointPressureSlot,
    kMousePressureSlot,
    kTiltXSlot,
    kTiltYSlot,
    kRotationSlot,
    kPenFieldSlotCount
};
// Enter proximity is the highest field number the pen reads.
inline constexpr size_t kPenFieldTableSize = kCGTabletProximityEventEnterProximity + 1;
inline constexpr std::array<PenFieldSlot, kPenFieldTableSize> kPenFieldSlots = [] {
    std::array<PenFieldSlot, kPenFieldTableSize> table{};
    table[kCGMouseEventSubtype] = kSubtypeSlot;
    table[kCGTabletProximityEventEnterProximity] = kEnterProximitySlot;
    table[kCGTabletProximityEventPointerType] = kPointerTypeSlot;
    table[kCGTabletEventPointButtons] = kButtonsSlot;
    table[kCGTabletEventPointPressure] = kPointPressureSlot;
    table[kCGMouseEventPressure] = kMousePressureSlot;
    table[kCGTabletEventTiltX] = kTiltXSlot;
    table[kCGTabletEventTiltY] = kTiltYSlot;
    table[kCGTabletEventRotation] = kRotationSlot;
    return table;
}();
}  // namespace detail

inline PenFields penFields(const EventRecord& record) {
    std::array<const EventFieldWrite*, detail::kPenFieldSlotCount> found{};
    const size_t count = std::min<size_t>(record.fieldCount, record.fields.size());
    for (size_t i = 0; i < count; ++i) {
        const EventFieldWrite& write = record.fields[i];
        found[write.field < detail::kPenFieldSlots.size() ? detail::kPenFieldSlots[write.field]
                                                          : detail::kOtherField] = &write;
    }
    return PenFields{found[detail::kSubtypeSlot],       found[detail::kEnterProximitySlot],
                     found[detail::kPointerTypeSlot],   found[detail::kButtonsSlot],
                     found[detail::kPointPressureSlot], found[detail::kMousePressureSlot],
                     found[detail::kTiltXSlot],         found[detail::kTiltYSlot],
                     found[detail::kRotationSlot]};
}

// A double rounded to the nearest int32, clamped to its range; NaN is the minimum.
int32_t roundedInt32(double value);
// A write's value as an integer (a double is rounded) or as a double; none
// without a write. Defined here: a pen report reads half a dozen of them.
inline std::optional<int64_t> integerValue(const EventFieldWrite* write) {
    if (write == nullptr) {
        return std::nullopt;
    }
    return write->isDouble ? roundedInt32(write->doubleValue) : write->integerValue;
}
inline std::optional<double> doubleValue(const EventFieldWrite* write) {
    if (write == nullptr) {
        return std::nullopt;
    }
    return write->isDouble ? write->doubleValue : static_cast<double>(write->integerValue);
}

// Whether a mouse record belongs to the pen: proximity and tablet-pointer
// events, and mouse events whose subtype says tablet point.
inline bool isTabletRecord(const EventRecord& record, const PenFields& fields) {
    if (record.type == kCGEventTabletProximity || record.type == kCGEventTabletPointer) {
        return true;
    }
    return integerValue(fields.subtype) == kCGEventMouseSubtypeTabletPoint;
}

// Pressure 0..1 of a touching pen. libinput 1.22 takes the tip as down from
// 5 % of the range and reports (value - 1 % of the range) / the rest, so a
// touch never goes below the 5 % mark and the core's pressure comes out as is.
int32_t touchPressureValue(double pressure);
// Tilt -1..1 (a quarter turn) as hundredths of a degree.
int32_t tiltValue(double tilt);
// Clockwise rotation in degrees as ABS_Z, to which libinput adds 90 degrees.
int32_t rotationValue(double degrees);
// One axis's last conversion. A pen repeats its tilt and rotation report
// after report, and comparing the value costs less than converting it again.
template <int32_t (*Convert)(double)>
class RememberedConversion {
public:
    int32_t operator()(double value) {
        const auto bits = std::bit_cast<uint64_t>(value);
        if (!known_ || bits != bits_) {
            bits_ = bits;
            converted_ = Convert(value);
            known_ = true;
        }
        return converted_;
    }

private:
    uint64_t bits_ = 0;
    int32_t converted_ = 0;
    bool known_ = false;
};

// Lines as high-resolution wheel units, 120 to the detent.
int32_t highResolutionWheel(int64_t lines);
int32_t clampToInt32(int64_t value);

}  // namespace drawlume
