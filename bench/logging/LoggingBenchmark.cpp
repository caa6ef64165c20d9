// Logging throughput into rotating files, ours beside spdlog's asynchronous
// rotating logger in the same run, and the cost of a call the level drops.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

#include <benchmark/benchmark.h>
#include <spdlog/async.h>
#include <spdlog/sinks/rotating_file_sink.h>
#include <spdlog/spdlog.h>
#include <stdlib.h>

#include "BestTimes.hpp"
#include "logging/DDFileLogger.hpp"
#include "logging/DDLog.hpp"
#include "logging/LogMacros.hpp"

namespace {

using namespace drawlume;

constexpr const char* kLogFile = "Drawlume___Bluetooth_Agent/LoggingBenchmark";
constexpr int kLines = 1'000'000;
constexpr size_t kMaximumFileSize = 5 * 1024 * 1024;
constexpr size_t kMaximumFiles = 3;

std::string freshDirectory(const char* name) {
    std::string pattern = (std::filesystem::temp_directory_path() / "drawlume-bench-XXXXXX");
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::abort();
    }
    return pattern + "/" + name;
}

// About 80 bytes of text per line, with a changing number in it.
void BM_OurFileLogger(benchmark::State& state) {
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
        const std::string directory = freshDirectory("ours");
        auto manager = std::make_shared<DDLogFileManagerDefault>(directory, "drawlume-agent");
        manager->setMaximumNumberOfLogFiles(kMaximumFiles);
        auto logger = std::make_shared<DDFileLogger>(manager);
        logger->setRollingFrequency(0);
        logger->setMaximumFileSize(kMaximumFileSize);
        DDLog::sharedInstance().addLogger(logger);
        setDDLogLevel(DDLogLevelInfo);
        for (int i = 0; i < kLines; ++i) {
            DDLogInfo("bench()", strf("Pen report %d: x=12345 y=23456 pressure=0.51234 "
                                      "tilt=(12,-3) buttons=0x01",
                                      i));
        }
        DDLog::sharedInstance().flushLog();
        state.PauseTiming();
        DDLog::sharedInstance().removeAllLoggers();
        std::filesystem::remove_all(std::filesystem::path(directory).parent_path());
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_OurFileLogger)
    ->Iterations(1)
    ->Repetitions(3)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

void BM_SpdlogAsyncRotating(benchmark::State& state) {
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
        const std::string directory = freshDirectory("spdlog");
        std::filesystem::create_directories(directory);
        spdlog::init_thread_pool(8192, 1);
        auto logger = spdlog::rotating_logger_mt<spdlog::async_factory>(
            "bench", directory + "/drawlume-agent.log", kMaximumFileSize, kMaximumFiles);
        logger->set_pattern("%Y/%m/%d %H:%M:%S:%e  %v");
        for (int i = 0; i < kLines; ++i) {
            logger->info(
                "Pen report {}: x=12345 y=23456 pressure=0.51234 tilt=(12,-3) "
                "buttons=0x01",
                i);
        }
        logger.reset();
        spdlog::shutdown();  // drains the queue and joins the worker
        state.PauseTiming();
        std::filesystem::remove_all(std::filesystem::path(directory).parent_path());
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_SpdlogAsyncRotating)
    ->Iterations(1)
    ->Repetitions(3)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

void BM_DroppedDebugCall(benchmark::State& state) {
    setDDLogLevel(DDLogLevelInfo);
    int i = 0;
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
        DDLogDebug("bench()", strf("never built %d", i));
        benchmark::DoNotOptimize(++i);
    }
}
BENCHMARK(BM_DroppedDebugCall);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    drawlume::BestTimes reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto ours = reporter.best.find("BM_OurFileLogger");
    const auto theirs = reporter.best.find("BM_SpdlogAsyncRotating");
    if (ours != reporter.best.end() && theirs != reporter.best.end()) {
        std::printf("ours: %.0f lines/s\n", kLines / ours->second);
        std::printf("spdlog: %.0f lines/s\n", kLines / theirs->second);
        std::printf("logging throughput ratio (ours/spdlog): %.2f\n",
                    theirs->second / ours->second);
    }
    if (const auto dropped = reporter.best.find("BM_DroppedDebugCall");
        dropped != reporter.best.end()) {
        std::printf("dropped debug call: %.2f ns\n", dropped->second * 1e9);
    }
    benchmark::Shutdown();
    return 0;
}
