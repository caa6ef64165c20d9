#pragma once

#include <cstdint>
#include <ostream>
#include <vector>

#include "events/EventRecord.hpp"

namespace drawlume::testing {

// A record's field writes as comparable values, in the order they were made.
struct FieldWrite {
    CGEventField field = 0;
    bool isDouble = false;
    double value = 0;
    bool operator==(const FieldWrite&) const = default;
};

inline FieldWrite integerWrite(CGEventField field, int64_t value) {
    return {field, false, static_cast<double>(value)};
}
inline FieldWrite doubleWrite(CGEventField field, double value) {
    return {field, true, value};
}

inline std::vector<FieldWrite> fieldWrites(const EventRecord& record) {
    std::vector<FieldWrite> writes;
    for (size_t i = 0; i < record.fieldCount; ++i) {
        const EventFieldWrite& write = record.fields[i];
        writes.push_back(
            {write.field, write.isDouble,
             write.isDouble ? write.doubleValue : static_cast<double>(write.integerValue)});
    }
    return writes;
}

inline std::ostream& operator<<(std::ostream& stream, const FieldWrite& write) {
    return stream << (write.isDouble ? "double " : "integer ") << write.field << "=" << write.value;
}

}  // namespace drawlume::testing
