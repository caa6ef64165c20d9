// The uinput sink's cost per record on the report path, with the kernel left
// out (the writer drops the frames), beside a reference that only computes
// the same frame's values by hand; and the heap allocations per record, which
// must be none.

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <new>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <linux/input.h>

#include "BestTimes.hpp"
#include "displays/ScreenList.hpp"
#include "logging/DDLogFlag.hpp"
#include "platform/linux/uinput/GeneratorRecords.hpp"
#include "platform/linux/uinput/UinputEventSink.hpp"

namespace {

std::atomic<long> allocations{0};

}  // namespace

void* operator new(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* memory = std::malloc(size == 0 ? 1 : size)) {
        return memory;
    }
    throw std::bad_alloc();
}
void operator delete(void* memory) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}

namespace {

using namespace drawlume;
using R = testing::GeneratorRecords;

constexpr size_t kStroke = 256;

class DroppingWriter final : public UinputWriter {
public:
    int writeFrame(UinputDeviceRole, std::span<const EvdevEvent> frame) noexcept override {
        events += frame.size();
        return 0;
    }
    size_t events = 0;
};

// A stroke of drags over the display with changing pressure and tilt.
std::vector<EventRecord> stroke() {
    std::vector<EventRecord> records;
    for (size_t i = 0; i < kStroke; ++i) {
        const double t = static_cast<double>(i) / kStroke;
        records.push_back(R::penDragged(Point{100 + 1700 * t, 900 - 800 * t}, 0.2 + 0.6 * t,
                                        0.3 - 0.2 * t, 0.1 + 0.1 * t, 45, false));
    }
    return records;
}

FixedScreenList& screens() {
    static FixedScreenList list({{"Primary", Rect{{0, 0}, {1920, 1080}}}});
    return list;
}

void BM_SinkPenDrag(benchmark::State& state) {
    setDDLogLevel(DDLogLevelInfo);
    const std::vector<EventRecord> records = stroke();
    auto writer = std::make_unique<DroppingWriter>();
    UinputEventSink sink(std::move(writer), screens());
    sink.post(R::proximityEnter(records[0].location, false));
    sink.post(R::penDown(records[0].location, 0.2, 0.3, 0.1, 45, false));
    size_t i = 0;
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
        sink.post(records[i]);
        i = (i + 1) % records.size();
    }
}
BENCHMARK(BM_SinkPenDrag)->Repetitions(3);

// The least any sink does for a drag: read the values from the record and
// scale them into an event array.
void BM_ReferencePenDrag(benchmark::State& state) {
    const std::vector<EventRecord> records = stroke();
    std::array<input_event, 8> frame{};
    size_t i = 0;
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
        const EventRecord& record = records[i];
        double pressure = 0;
        double tiltX = 0;
        double tiltY = 0;
        for (size_t f = 0; f < record.fieldCount; ++f) {
            const EventFieldWrite& write = record.fields[f];
            pressure = write.field == kCGTabletEventPointPressure ? write.doubleValue : pressure;
            tiltX = write.field == kCGTabletEventTiltX ? write.doubleValue : tiltX;
            tiltY = write.field == kCGTabletEventTiltY ? write.doubleValue : tiltY;
        }
        frame[0] = {{}, EV_ABS, ABS_PRESSURE, static_cast<int>(std::lround(40 + 4055 * pressure))};
        frame[1] = {{}, EV_ABS, ABS_X, static_cast<int>(std::ceil(record.location.x * 17.07))};
        frame[2] = {{}, EV_ABS, ABS_Y, static_cast<int>(std::ceil(record.location.y * 30.34))};
        frame[3] = {{}, EV_ABS, ABS_TILT_X, static_cast<int>(std::lround(tiltX * 9000))};
        frame[4] = {{}, EV_ABS, ABS_TILT_Y, static_cast<int>(std::lround(-tiltY * 9000))};
        frame[5] = {{}, EV_SYN, SYN_REPORT, 0};
        benchmark::DoNotOptimize(frame);
        i = (i + 1) % records.size();
    }
}
BENCHMARK(BM_ReferencePenDrag)->Repetitions(3);

void BM_SinkKeyDownUp(benchmark::State& state) {
    UinputEventSink sink(std::make_unique<DroppingWriter>(), screens());
    const EventRecord down = R::key(0x00, true);
    const EventRecord up = R::key(0x00, false);
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
        sink.post(down);
        sink.post(up);
    }
}
BENCHMARK(BM_SinkKeyDownUp)->Repetitions(3);

// Heap allocations over a whole stroke and a run of pointer and key records,
// after the first stroke has warmed everything up.
double allocationsPerRecord() {
    setDDLogLevel(DDLogLevelInfo);
    const std::vector<EventRecord> records = stroke();
    UinputEventSink sink(std::make_unique<DroppingWriter>(), screens());
    sink.post(R::proximityEnter(records[0].location, false));
    sink.post(R::penDown(records[0].location, 0.2, 0.3, 0.1, 45, false));
    for (const EventRecord& record : records) {
        sink.post(record);
    }
    // Building a record runs the generator on fakes, which allocates: all are made first.
    std::vector<EventRecord> moves;
    moves.reserve(records.size());
    for (const EventRecord& record : records) {
        moves.push_back(R::mouse(kCGEventMouseMoved, record.location, kCGMouseButtonLeft));
    }
    const EventRecord keys[] = {R::key(0x01, false), R::key(0x01, true)};
    const EventRecord scroll = R::scroll(1, -1);
    const long before = allocations.load();
    size_t posted = 0;
    for (int round = 0; round < 10; ++round) {
        for (size_t i = 0; i < records.size(); ++i) {
            sink.post(records[i]);
            sink.post(moves[i]);
            sink.post(keys[round % 2 == 0 ? 1 : 0]);
            posted += 3;
        }
        sink.post(scroll);
        ++posted;
    }
    return static_cast<double>(allocations.load() - before) / static_cast<double>(posted);
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    drawlume::BestTimes reporter(drawlume::BestTimes::Clock::cpu);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto sink = reporter.best.find("BM_SinkPenDrag");
    const auto reference = reporter.best.find("BM_ReferencePenDrag");
    if (sink != reporter.best.end() && reference != reporter.best.end()) {
        std::printf("uinput sink pen drag: %.1f ns\n", sink->second * 1e9);
        std::printf("reference pen drag frame: %.1f ns\n", reference->second * 1e9);
        std::printf("uinput sink cost ratio (sink/reference): %.2f\n",
                    sink->second / reference->second);
    }
    if (const auto keys = reporter.best.find("BM_SinkKeyDownUp"); keys != reporter.best.end()) {
        std::printf("uinput sink key down and up: %.1f ns\n", keys->second * 1e9);
    }
    std::printf("allocations per record: %.3f\n", allocationsPerRecord());
    benchmark::Shutdown();
    return 0;
}
