// Arbitrary records, screen layouts and release requests through the uinput
// sink into a writer that checks what libinput relies on: whole frames, only
// the codes and ranges each device declares, a touch only with a tool in
// proximity and with pressure above the tip threshold, and nothing held after
// a release.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include <linux/input-event-codes.h>

#include "displays/ScreenList.hpp"
#include "logging/DDLogFlag.hpp"
#include "platform/linux/uinput/UinputDeviceLayout.hpp"
#include "platform/linux/uinput/UinputEventSink.hpp"

namespace drawlume {
namespace {

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

class CheckingWriter final : public UinputWriter {
public:
    int writeFrame(UinputDeviceRole role, std::span<const EvdevEvent> frame) noexcept override {
        check(frame.size() >= 2);
        check(frame.back() == (EvdevEvent{EV_SYN, SYN_REPORT, 0}));
        const UinputDeviceLayout& layout = uinputDeviceLayout(role);
        auto& held = held_[static_cast<size_t>(role)];
        std::array<bool, KEY_CNT> changed{};
        for (size_t i = 0; i + 1 < frame.size(); ++i) {
            const EvdevEvent& event = frame[i];
            if (event.type == EV_KEY) {
                check(std::find(layout.keys.begin(), layout.keys.end(), event.code) !=
                      layout.keys.end());
                check(event.value == 0 || event.value == 1);
                check(!changed[event.code]);
                changed[event.code] = true;
                held[event.code] = event.value == 1;
            } else if (event.type == EV_ABS) {
                const UinputAxis* axis = nullptr;
                for (const UinputAxis& candidate : layout.absoluteAxes) {
                    axis = candidate.code == event.code ? &candidate : axis;
                }
                check(axis != nullptr);
                check(event.value >= axis->minimum && event.value <= axis->maximum);
                pressure_ = event.code == ABS_PRESSURE ? event.value : pressure_;
            } else {
                check(event.type == EV_REL);
                check(std::find(layout.relativeAxes.begin(), layout.relativeAxes.end(),
                                event.code) != layout.relativeAxes.end());
            }
        }
        if (role == UinputDeviceRole::pen) {
            const bool inProximity = held[BTN_TOOL_PEN] || held[BTN_TOOL_RUBBER];
            check(!(held[BTN_TOOL_PEN] && held[BTN_TOOL_RUBBER]));
            check(inProximity || (!held[BTN_TOUCH] && !held[BTN_STYLUS2]));
            check(held[BTN_TOUCH] ? pressure_ >= kUinputPressureMaximum / 20 : pressure_ == 0);
        }
        return 0;
    }

    bool holdsNothing() const {
        for (const auto& held : held_) {
            for (const bool key : held) {
                if (key) {
                    return false;
                }
            }
        }
        return true;
    }

private:
    std::array<std::array<bool, KEY_CNT>, kUinputDeviceRoleCount> held_{};
    int32_t pressure_ = 0;
};

class Input {
public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool empty() const { return at_ >= size_; }
    uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
    int16_t int16() { return static_cast<int16_t>(byte() | (byte() << 8)); }
    double number() {
        const uint8_t kind = byte();
        if (kind == 0xFF) {
            return static_cast<double>(int16()) * 1e6;
        }
        if (kind == 0xFE) {
            return __builtin_nan("");
        }
        return static_cast<double>(int16()) / 64.0;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

// Every event type and field number up to the highest the generator uses,
// the unused ones among them included: the sink must ignore what it does not know.
constexpr int kTypeCount = kCGEventOtherMouseDragged + 1;
constexpr int kFieldCount = kCGTabletProximityEventEnterProximity + 1;

EventRecord nextRecord(Input& input) {
    EventRecord record;
    record.kind = static_cast<EventRecordKind>(input.byte() % 4);
    record.type = static_cast<CGEventType>(input.byte() % kTypeCount);
    record.location = Point{input.number(), input.number()};
    record.mouseButton = input.byte() % 4;
    record.fieldCount = input.byte() % (EventRecord::kMaximumFieldWrites + 1);
    for (size_t i = 0; i < record.fieldCount; ++i) {
        EventFieldWrite& write = record.fields[i];
        write.field = static_cast<CGEventField>(input.byte() % kFieldCount);
        write.isDouble = (input.byte() & 1) != 0;
        if (write.isDouble) {
            write.doubleValue = input.number();
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
    Input input(data, size);
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
                    layout.push_back({"", Rect{{input.number(), input.number()},
                                               {input.number(), input.number()}}});
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
