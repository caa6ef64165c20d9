// The cost of one report through the input report handler and the event
// generator into a sink that discards, beside a reference run that only hands
// a ready-made record to the same sink; and the heap allocations per report,
// counted by a replaced global operator new.

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "app/DebugLogCollector.hpp"
#include "events/EventGenerator.hpp"
#include "events/UserDefaultsHidSystemParameters.hpp"
#include "input/InputReportHandler.hpp"
#include "logging/DDLogFlag.hpp"
#include "platform/fake/CompanionReports.hpp"

namespace {

std::atomic<uint64_t> gAllocations{0};

}  // namespace

// Every allocation of the program passes here; the count is all we add. GCC
// takes the free() of these replacements for a mismatch with the new
// expressions it inlines them into.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void* operator new(std::size_t size) {
    gAllocations.fetch_add(1, std::memory_order_relaxed);
    if (void* block = std::malloc(size == 0 ? 1 : size)) {
        return block;
    }
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void operator delete(void* block) noexcept {
    std::free(block);
}
void operator delete[](void* block) noexcept {
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    std::free(block);
}

namespace {

using namespace drawlume;

// Takes every record and keeps nothing, like a sink whose device is fast.
class DiscardingSink final : public EventSink {
public:
    bool canCreateEvent() override { return true; }
    std::optional<Point> currentPointerLocation() override { return Point{960, 540}; }
    void post(const EventRecord& record) override { benchmark::DoNotOptimize(&record); }
};

class FixedTarget final : public TargetScreenFrameProvider {
public:
    Rect targetScreenFrame() override { return Rect{{0, 0}, {2560, 1440}}; }
};

// Time moves on by one report interval (8 ms) at every reading, so the
// accelerator sees a hand moving at an ordinary report rate.
class SteppingClocks final : public Clocks {
public:
    uint64_t monotonicNanoseconds() const override { return nanoseconds_ += 8'000'000; }
    double uptimeSeconds() const override {
        return static_cast<double>(monotonicNanoseconds()) / 1e9;
    }
    double secondsSinceReferenceDate() const override { return 786'000'000.0 + uptimeSeconds(); }

private:
    mutable uint64_t nanoseconds_ = 1'000'000'000'000;
};

// A handler and generator as the device manager builds them, at the
// application's log level, with the debug view off.
struct Pipeline {
    Pipeline()
        : screens({{"Primary", Rect{{0, 0}, {2560, 1440}}}}),
          hidSystem(defaults),
          environment{sink, defaults, screens, target, clocks, collector, hidSystem},
          generator(std::make_shared<EventGenerator>(kCGHIDEventTap, environment)),
          handler(generator, environment) {
        setDDLogLevel(DDLogLevelInfo);
    }

    void report(const std::vector<uint8_t>& bytes) {
        handler.handleInputReport(1, 0, bytes[0], bytes.data(), static_cast<int64_t>(bytes.size()));
    }

    DiscardingSink sink;
    InMemoryUserDefaults defaults;
    FixedScreenList screens;
    FixedTarget target;
    SteppingClocks clocks;
    DebugLogCollector collector;
    UserDefaultsHidSystemParameters hidSystem;
    TranslationEnvironment environment;
    std::shared_ptr<EventGenerator> generator;
    InputReportHandler handler;
};

std::vector<uint8_t> penReport(uint8_t flags, uint16_t x, uint16_t y, uint16_t pressure) {
    return digitizerReport(flags, x, y, pressure, 12, -10, 45);
}

// Each workload alternates between two reports so that nothing settles into
// a state that skips work: a hover moves, a drag drags, a mouse moves back and
// forth, a key goes down and up.
struct Workload {
    const char* name;
    std::vector<uint8_t> setUp;
    std::vector<uint8_t> first;
    std::vector<uint8_t> second;
};

const std::vector<Workload>& workloads() {
    static const std::vector<Workload> all = {
        {"pen hover report", penReport(0x10, 100, 100, 0), penReport(0x10, 16000, 9000, 0),
         penReport(0x10, 16010, 9004, 0)},
        {"pen drag report", penReport(0x11, 100, 100, 9000), penReport(0x11, 16000, 9000, 12000),
         penReport(0x11, 16010, 9004, 12100)},
        {"mouse move report", {1, 0, 1, 1, 0}, {1, 0, 6, 3, 0}, {1, 0, 0xFA, 0xFD, 0}},
        {"keyboard report",
         {2, 0, 0, 0, 0, 0, 0, 0, 0},
         {2, 0, 0, 0x04, 0, 0, 0, 0, 0},
         {2, 0, 0, 0, 0, 0, 0, 0, 0}},
    };
    return all;
}

void BM_Report(benchmark::State& state) {
    const Workload& workload = workloads()[static_cast<size_t>(state.range(0))];
    Pipeline pipeline;
    pipeline.report(workload.setUp);
    bool flip = false;
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
        pipeline.report(flip ? workload.second : workload.first);
        flip = !flip;
    }
    state.SetLabel(workload.name);
}
BENCHMARK(BM_Report)->DenseRange(0, 3)->Repetitions(5)->ReportAggregatesOnly(false);

// The reference: one ready-made record handed to the same sink, the least
// any report can cost.
void BM_ReferenceRecordPost(benchmark::State& state) {
    DiscardingSink sink;
    EventSink& events = sink;
    EventRecord record;
    record.type = kCGEventLeftMouseDragged;
    record.fieldCount = 11;
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
        record.location.x += 1;
        events.post(record);
    }
}
BENCHMARK(BM_ReferenceRecordPost)->Repetitions(5);

// Keeps every repetition's processor time per iteration, by benchmark and
// argument. Processor time, not wall time: on a machine shared with builds
// the wall clock also counts the time the thread waits for a core.
class MedianTimes : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.iterations == 0) {
                continue;
            }
            const std::string key = run.run_name.function_name + "/" + run.run_name.args;
            const auto iterations = static_cast<double>(run.iterations);
            times[key].push_back(run.cpu_accumulated_time / iterations);
            wallTimes[key].push_back(run.real_accumulated_time / iterations);
        }
    }
    // Nanoseconds, or a negative number when the benchmark did not run.
    double medianNanoseconds(const std::string& key) { return median(times, key); }
    double medianWallNanoseconds(const std::string& key) { return median(wallTimes, key); }

    std::map<std::string, std::vector<double>> times;
    std::map<std::string, std::vector<double>> wallTimes;

private:
    static double median(const std::map<std::string, std::vector<double>>& all,
                         const std::string& key) {
        auto found = all.find(key);
        if (found == all.end() || found->second.empty()) {
            return -1;
        }
        std::vector<double> values = found->second;
        std::sort(values.begin(), values.end());
        const size_t middle = values.size() / 2;
        const double seconds =
            values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
        return seconds * 1e9;
    }
};

// Allocations per report of each workload, after a warm-up that lets the
// mouse-state map and the like take their one-time allocations.
double allocationsPerReport(const Workload& workload) {
    constexpr int kWarmUp = 1000;
    constexpr int kReports = 100000;
    Pipeline pipeline;
    pipeline.report(workload.setUp);
    for (int i = 0; i < kWarmUp; ++i) {
        pipeline.report(i % 2 == 0 ? workload.first : workload.second);
    }
    const uint64_t before = gAllocations.load();
    for (int i = 0; i < kReports; ++i) {
        pipeline.report(i % 2 == 0 ? workload.first : workload.second);
    }
    return static_cast<double>(gAllocations.load() - before) / kReports;
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    MedianTimes reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    const double reference = reporter.medianNanoseconds("BM_ReferenceRecordPost/");
    if (reference > 0) {
        std::printf("reference record post: %.1f ns\n", reference);
    }
    for (size_t i = 0; i < workloads().size(); ++i) {
        const double median = reporter.medianNanoseconds("BM_Report/" + std::to_string(i));
        if (median < 0) {
            continue;
        }
        std::printf("%s: %.0f ns\n", workloads()[i].name, median);
        std::printf("%s, wall clock: %.0f ns\n", workloads()[i].name,
                    reporter.medianWallNanoseconds("BM_Report/" + std::to_string(i)));
        if (reference > 0) {
            std::printf("%s / reference record post: %.2f\n", workloads()[i].name,
                        median / reference);
        }
    }
    double worst = 0;
    for (const Workload& workload : workloads()) {
        const double allocations = allocationsPerReport(workload);
        std::printf("allocations per %s: %g\n", workload.name, allocations);
        worst = std::max(worst, allocations);
    }
    std::printf("allocations per report: %g\n", worst);
    benchmark::Shutdown();
    return 0;
}
