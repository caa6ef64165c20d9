#pragma once

#include <cstdint>

#include "events/EventRecord.hpp"

namespace drawlume {

// Appends one field write to a record. A record never needs more writes than
// it holds; one more would be dropped rather than overrun the record.
inline void writeInteger(EventRecord& record, CGEventField field, int64_t value) {
    if (record.fieldCount < EventRecord::kMaximumFieldWrites) {
        record.fields[record.fieldCount++] = EventFieldWrite{field, false, value, 0};
    }
}

inline void writeDouble(EventRecord& record, CGEventField field, double value) {
    if (record.fieldCount < EventRecord::kMaximumFieldWrites) {
        record.fields[record.fieldCount++] = EventFieldWrite{field, true, 0, value};
    }
}

}  // namespace drawlume
