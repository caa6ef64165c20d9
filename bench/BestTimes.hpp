#pragma once

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

namespace drawlume {

// Shows every run on the console and keeps, per benchmark function, the best
// time per iteration, from which a program prints its ratios. Wall time by
// default; CPU time for single-threaded work, which on a shared machine wall
// time would mix with the neighbours' load.
class BestTimes : public benchmark::ConsoleReporter {
public:
    enum class Clock { wall, cpu };

    explicit BestTimes(Clock clock = Clock::wall) : clock_(clock) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.iterations == 0) {
                continue;
            }
            const double total =
                clock_ == Clock::cpu ? run.cpu_accumulated_time : run.real_accumulated_time;
            const double seconds = total / static_cast<double>(run.iterations);
            const std::string name = run.run_name.function_name;
            auto found = best.find(name);
            best[name] = found == best.end() ? seconds : std::min(found->second, seconds);
        }
    }

    std::map<std::string, double> best;

private:
    Clock clock_;
};

}  // namespace drawlume
