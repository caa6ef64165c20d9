#include "platform/fake/RecordingEventSink.hpp"

namespace drawlume {

namespace {

const EventFieldWrite* lastWrite(const EventRecord& record, CGEventField field) {
    const EventFieldWrite* found = nullptr;
    for (size_t i = 0; i < record.fieldCount; ++i) {
        if (record.fields[i].field == field) {
            found = &record.fields[i];
        }
    }
    return found;
}

}  // namespace

std::optional<int64_t> integerField(const EventRecord& record, CGEventField field) {
    const EventFieldWrite* write = lastWrite(record, field);
    if (write == nullptr || write->isDouble) {
        return std::nullopt;
    }
    return write->integerValue;
}

std::optional<double> doubleField(const EventRecord& record, CGEventField field) {
    const EventFieldWrite* write = lastWrite(record, field);
    if (write == nullptr || !write->isDouble) {
        return std::nullopt;
    }
    return write->doubleValue;
}

}  // namespace drawlume
