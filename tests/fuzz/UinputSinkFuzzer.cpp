// Arbitrary records, screen layouts and release requests through the uinput
// sink into a writer that checks for whole frames, a touch only with one tool in
// proximity, and nothing held after a release.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include <linux/input-event-codes.h>

#include "FuzzInput.hpp"
#include "displays/ScreenList.hpp"
#include "logging/DDLogFlag.hpp"
#include "platform/linux/uinput/UinputDeviceLayout.hpp"
#include "platform/linux/uinput/UinputEventSink.hpp"

namespace drawlume {
namespace {

using fuzzing::check;
using fuzzing::FuzzInput;

// Whole frames, and a record of what each device holds down.
class CheckingWriter final : public UinputWriter {
public:
    int writeFrame(UinputDeviceRole role, std::span<const EvdevEvent> frame) noexcept override {
        check(frame.size() >= 2 && frame.back() == (EvdevEvent{EV_SYN, SYN_REPORT, 0}));
        auto& held = held_[static_cast<size_t>(role)];
        for (const EvdevEvent& event : frame) {
            check(event.type != EV_KEY || (event.code < KEY_CNT && event.value <= 1));
            if (event.type == EV_KEY) {
                held[event.code] = event.value != 0;
            }
        }
        // libinput takes a touch only from a tool in proximity, and one tool at a time.
        check(!(held[BTN_TOOL_PEN] && held[BTN_TOOL_RUBBER]));
        check(held[BTN_TOOL_PEN] || held[BTN_TOOL_RUBBER] || !held[BTN_TOUCH]);
        return 0;
    }

    bool holdsNothing() const {
        return std::all_of(held_.begin(), held_.end(), [](const auto& keys) {
            return std::none_of(keys.begin(), keys.end(), [](bool key) { return key; });
        });
    }

private:
    std::array<std::array<bool, KEY_CNT>, kUinputDeviceRoleCount> held_{};
};

// A coordinate or value: mostly ordinary, sometimes huge or not a number.
double number(FuzzInput& input) {
    const uint8_t kind = input.byte();
    if (kind == 0xFF) {
        return static_cast<double>(input.int16()) * 1e6;
    }
    if (kind == 0xFE) {
        return __builtin_nan("");
    }
    return static_cast<double>(input.int16()) / 64.0;
}

// Every event type and field number up to the highest the generator uses,
// the unused ones among them included: the sink must ignore what it does not know.
constexpr int kTypeCount = kCGEventOtherMouseDragged + 1;
constexpr int kFieldCount = kCGTabletProximityEventEnterProximity + 1;

EventRecord nextRecord(FuzzInput& input) {
    EventRecord record;
    record.kind = static_cast<EventRecordKind>(input.byte() % 4);
    record.type = static_cast<CGEventType>(input.byte() % kTypeCount);
    record.location = Point{number(input), number(input)};
    record.mouseButton = input.byte() % 4;
    record.fieldCount = input.byte() % (EventRecord::kMaximumFieldWrites + 1);
    for (size_t i = 0; i < record.fieldCount; ++i) {
        EventFieldWrite& write = record.fields[i];
        write.field = static_cast<CGEventField>(input.byte() % kFieldCount);
        write.isDouble = (input.byte() & 1) != 0;
        if (write.isDouble) {
            write.doubleValue = number(input);
        } else {
            write.integerValue = static_cast<int64_t>(input.byte()) - 128;  // -128 to 127
        }
    }
    record.scrollUnits = input.byte() % 3;
    record.wheelCount = input.byte() % 4;
    record.wheels = {input.int16() * 4096, input.int16(), 0};
    record.keyCode = static_cast<uint16_t>(input.int16());
    record.keyDown = (input.byte() & 1) != 0;
    return record;
}

}  // namespace
}  // namespace drawlume

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace drawlume;
    setDDLogLevel(0);
    FuzzInput input(data, size);
    FixedScreenList screens({{"Primary", Rect{{0, 0}, {1920, 1080}}}});
    auto writer = std::make_unique<CheckingWriter>();
    CheckingWriter& checker = *writer;
    {
        UinputEventSink sink(std::move(writer), screens);
        while (!input.empty()) {
            const uint8_t operation = input.byte();
            if (operation == 0xF0) {
                sink.releaseAllHeldInput();
                check(checker.holdsNothing());
            } else if (operation == 0xF1) {
                std::vector<ScreenDescription> layout;
                for (int count = input.byte() % 4; count > 0; --count) {
                    layout.push_back(
                        {"", Rect{{number(input), number(input)}, {number(input), number(input)}}});
                }
                screens.setScreens(std::move(layout));
                sink.screensChanged();
            } else if (operation == 0xF2) {
                (void)sink.currentPointerLocation();
            } else {
                sink.post(nextRecord(input));
            }
        }
        sink.releaseAllHeldInput();
        check(checker.holdsNothing());
    }
    return 0;
}
