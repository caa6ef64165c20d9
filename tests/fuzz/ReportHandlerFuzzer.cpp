// Arbitrary byte streams, cut into reports of arbitrary IDs and lengths and
// mixed with resets, clock steps and sink failures, go through the handler and
// the real event generator into a sink that checks every record.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "FuzzInput.hpp"
#include "events/EventGenerator.hpp"
#include "input/InputReportHandler.hpp"
#include "logging/DDLogFlag.hpp"
#include "platform/fake/FakeTranslationServices.hpp"

namespace {

using namespace drawlume;
using fuzzing::check;
using fuzzing::FuzzInput;

// Aborts (a finding) on a record the window system could not take.
class CheckingSink final : public EventSink {
public:
    bool canCreateEvent() override { return canCreate; }
    std::optional<Point> currentPointerLocation() override {
        return canCreate ? std::optional<Point>(pointer) : std::nullopt;
    }
    void post(const EventRecord& record) override {
        check(std::isfinite(record.location.x) && std::isfinite(record.location.y));
        check(record.fieldCount <= EventRecord::kMaximumFieldWrites);
        // The pointer follows the moves, as it would on a desktop.
        pointer = record.kind == EventRecordKind::mouse ? record.location : pointer;
    }

    bool canCreate = true;
    Point pointer{960, 540};
};

}  // namespace

// One case for each kind of input the fuzzer plays.
// NOLINTNEXTLINE(readability-function-size)
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    setDDLogLevel(DDLogLevelAll);  // the log texts are built and checked too
    FuzzInput reader(data, size);
    FakeTranslationServices services;
    services.screenList.setScreens(
        {{"Primary", Rect{{0, 0}, {1920, 1080}}}, {"Left", Rect{{-1280, 200}, {1280, 720}}}});
    CheckingSink sink;
    TranslationEnvironment environment = services.environment();
    const TranslationEnvironment checked{sink,
                                         environment.userDefaults,
                                         environment.screenList,
                                         environment.targetScreenFrameProvider,
                                         environment.clocks,
                                         environment.debugLines,
                                         environment.hidSystemParameters};
    if ((reader.byte() & 1) != 0) {
        services.userDefaults.set("pointerAcceleration", false);
    }
    auto generator = std::make_shared<EventGenerator>(kCGHIDEventTap, checked);
    InputReportHandler handler(generator, checked);

    while (!reader.empty()) {
        const uint8_t action = reader.byte();
        switch (action % 8) {
            case 5:
                handler.resetPenState();
                continue;
            case 6:
                handler.resetMouseState(reader.byte() % 4);
                continue;
            case 7: {
                const uint8_t what = reader.byte();
                services.clocks.advance((what >> 2) * 0.004);
                if ((what & 1) != 0) {
                    sink.canCreate = !sink.canCreate;
                }
                if ((what & 2) != 0) {
                    services.debugLogCollector.setEnabled(!services.debugLogCollector.isEnabled());
                    services.hidSystemParameters.linearScaling =
                        services.hidSystemParameters.linearScaling ? std::nullopt
                                                                   : std::optional<int64_t>(1);
                }
                services.runLoop.runUntilIdle();
                continue;
            }
            default:
                break;
        }
        // A report: mostly the three real IDs, sometimes any 32-bit ID.
        const uint8_t idByte = reader.byte();
        const uint32_t reportID = idByte < 0xF0 ? idByte % 5 : static_cast<uint32_t>(reader.word());
        const size_t length = reader.word() % 4097;
        const std::vector<uint8_t> content = reader.bytes(length);
        // A heap block of exactly the report's size, so a read past it is caught.
        std::unique_ptr<uint8_t[]> report(new uint8_t[content.size()]);
        if (!content.empty()) {
            std::memcpy(report.get(), content.data(), content.size());
        }
        const bool passNull = action % 8 == 4 && (idByte & 1) != 0;
        handler.handleInputReport(action % 4, 0, reportID, passNull ? nullptr : report.get(),
                                  static_cast<int64_t>(content.size()));
    }
    services.debugLogCollector.flush();
    services.runLoop.runUntilIdle();
    return 0;
}
