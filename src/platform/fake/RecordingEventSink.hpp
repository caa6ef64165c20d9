#pragma once

#include <optional>
#include <vector>

#include "events/EventRecord.hpp"
#include "events/EventSink.hpp"

namespace drawlume {

// Keeps every record posted to it; tests decide whether events can be created
// and where the pointer is.
class RecordingEventSink final : public EventSink {
public:
    bool canCreateEvent() override { return canCreate; }
    std::optional<Point> currentPointerLocation() override {
        if (!canCreate) {
            return std::nullopt;
        }
        return pointerLocation;
    }
    void post(const EventRecord& record) override { records.push_back(record); }

    bool canCreate = true;
    Point pointerLocation{500, 400};
    std::vector<EventRecord> records;
};

// The value of a record's field, taken from its last write; nothing when the
// field was not written or was written with the other kind of value.
std::optional<int64_t> integerField(const EventRecord& record, CGEventField field);
std::optional<double> doubleField(const EventRecord& record, CGEventField field);

}  // namespace drawlume
