// e2e_latency_probe: runs inside the test VM. Measures, for each pen report a
// simulated companion writes to /dev/uhid, the time until a frame can be read from
// an evdev node:
//   --variant kernel            the companion's own Stylus twin (hid-input: the floor)
//   --variant NAME --command CMD --device DEVICE
//                               a re-injecting process started with `sh -c CMD` (with
//                               {twin} replaced by the twin's node and {hidraw} by the
//                               hidraw node), read from the input device named DEVICE
//                               that it creates (named {twinname} for the twin's own name)
// An external variant is measured once its process holds the twin grabbed: reports
// sent before then would reach nobody. One report at a time: write, wait for its
// frame, next. Prints
//   BENCH latency NAME: n=N median_us=M p99_us=P mean_us=A max_us=X
// With --rate R (reports a second) the reports are paced instead, and what is printed
// is the CPU time the external variant's processes took per report:
//   BENCH cpu NAME: reports=N rate=R cpu_us_per_report=C
// With --strace FILE the external variant's processes are traced (strace -c -f) over
// the reports, and their system calls counted per report:
//   BENCH syscalls NAME: reports=N calls=M per_report=X (CALL=X ...)
// Exit status 0 measured, 1 failed.

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "Companion.hpp"
#include "Evdev.hpp"
#include "System.hpp"

using namespace drawlume::e2e;

namespace {

struct Options {
    std::string descriptor;
    std::string variant = "kernel";
    std::string command;
    std::string device;
    long count = 5000;
    long warmup = 200;
    double rate = 0;        // reports a second; 0: one after the other
    std::string strace;     // count the system calls into this file
    std::string samples;    // append the latencies here instead of printing
    std::string summarize;  // print the figures of the latencies in this file
};

double percentile(const std::vector<double>& sorted, double fraction) {
    const size_t index = std::min(sorted.size() - 1, static_cast<size_t>(fraction * sorted.size()));
    return sorted[index];
}

bool measure(UhidCompanion& companion, EvdevReader& reader, const Options& options,
             std::vector<double>& latenciesUs, std::string& error) {
    reader.discardPending();
    const long total = options.warmup + options.count;
    const int64_t paceStart = monotonicNs();
    for (long i = 0; i < total; ++i) {
        if (options.rate > 0) {
            const auto due =
                paceStart + static_cast<int64_t>(static_cast<double>(i) * 1e9 / options.rate);
            const timespec at{static_cast<time_t>(due / 1000000000), due % 1000000000};
            while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) == EINTR) {
            }
        }
        // Hovering, moving far enough each time that any mapping onto a display still
        // changes the position: every report makes a frame.
        drawlume::companion::PenReport pen;
        pen.inRange = true;
        pen.x = (i % 2) == 0 ? 10000 : 12000;
        pen.y = 9000;
        const auto report = drawlume::companion::encode(pen);
        const int64_t start = monotonicNs();
        if (!companion.send(report, error)) {
            return false;
        }
        std::vector<Frame> frames;
        const bool read = reader.read(1, -1, afterMs(2000), frames, error);
        const int64_t end = monotonicNs();
        if (!read) {
            error.insert(0, "report " + std::to_string(i) + ": ");
            return false;
        }
        // A report that made more than one frame leaves no stragglers for the next one.
        reader.read(0, 0, afterMs(100), frames, error);
        if (i >= options.warmup) {
            latenciesUs.push_back(static_cast<double>(end - start) / 1000.0);
        }
    }
    return true;
}

// CPU time of the processes and all their threads in nanoseconds, from the
// scheduler's own account; the clock ticks of /proc/PID/stat where that is missing.
double cpuNs(const std::vector<pid_t>& pids) {
    namespace fs = std::filesystem;
    double total = 0;
    for (const pid_t pid : pids) {
        for (const fs::path& task : children("/proc/" + std::to_string(pid) + "/task", "")) {
            std::ifstream in(task / "schedstat");
            double runNs = 0;
            if (!(in >> runNs)) {
                const ProcessStats stats = sampleProcesses(pids);
                return (stats.userSeconds + stats.systemSeconds) * 1e9;
            }
            total += runNs;
        }
    }
    return total;
}

// Starts strace -c on the processes and waits until every thread is traced.
bool startTrace(ExternalProgram& tracer, const std::vector<pid_t>& pids, const std::string& file,
                std::string& error) {
    std::string command = "exec strace -c -f -qq -o " + file;
    for (const pid_t pid : pids) {
        command += " -p " + std::to_string(pid);
    }
    if (!tracer.start(command, error)) {
        return false;
    }
    const bool attached = pollUntil(afterMs(10000), [&pids] {
        bool all = true;
        for (const pid_t pid : pids) {
            for (const auto& task : children("/proc/" + std::to_string(pid) + "/task", "")) {
                std::ifstream status(task / "status");
                std::string line;
                while (std::getline(status, line)) {
                    if (line.rfind("TracerPid:", 0) == 0) {
                        all = all && std::strtol(line.c_str() + 10, nullptr, 10) != 0;
                    }
                }
            }
        }
        return all;
    });
    if (attached) {
        return true;
    }
    error = "strace did not attach within 10 s";
    return false;
}

// The count of strace -c's table: the total, and each call that came to at least
// one in a hundred reports. The whole table goes to the console.
int printSystemCalls(const std::string& variant, const std::string& file, long reports) {
    std::ifstream in(file);
    std::string line;
    long total = -1;
    std::string calls;
    while (std::getline(in, line)) {
        std::fprintf(stderr, "%s: %s\n", variant.c_str(), line.c_str());
        std::istringstream words(line);
        std::string percent;
        double seconds = 0;
        long usecsPerCall = 0;
        long count = 0;
        if (!(words >> percent >> seconds >> usecsPerCall >> count)) {
            continue;
        }
        std::string last;
        for (std::string word; words >> word;) {
            last = word;
        }
        if (last == "total") {
            total = count;
        } else if (count * 100 >= reports) {
            char part[64];
            std::snprintf(part, sizeof part, " %s=%.2f", last.c_str(),
                          static_cast<double>(count) / static_cast<double>(reports));
            calls += part;
        }
    }
    if (total < 0) {
        std::fprintf(stderr, "e2e_latency_probe: no strace table in %s\n", file.c_str());
        return 1;
    }
    std::printf("BENCH syscalls %s: reports=%ld calls=%ld per_report=%.2f (%s)\n", variant.c_str(),
                reports, total, static_cast<double>(total) / static_cast<double>(reports),
                calls.empty() ? "" : calls.c_str() + 1);
    return 0;
}

int usage() {
    std::fprintf(stderr,
                 "usage: e2e_latency_probe --descriptor FILE [--variant kernel | "
                 "--variant NAME --command CMD --device DEVICE] [--count N] "
                 "[--warmup N] [--samples FILE] [--rate R] [--strace FILE]\n"
                 "       e2e_latency_probe --summarize FILE --variant NAME\n");
    return 2;
}

int printFigures(const std::string& variant, std::vector<double> latencies) {
    if (latencies.empty()) {
        std::fprintf(stderr, "e2e_latency_probe: %s: no latencies\n", variant.c_str());
        return 1;
    }
    std::sort(latencies.begin(), latencies.end());
    double sum = 0;
    for (const double value : latencies) {
        sum += value;
    }
    std::printf("BENCH latency %s: n=%zu median_us=%.1f p99_us=%.1f mean_us=%.1f max_us=%.1f\n",
                variant.c_str(), latencies.size(), percentile(latencies, 0.5),
                percentile(latencies, 0.99), sum / static_cast<double>(latencies.size()),
                latencies.back());
    return 0;
}

int summarize(const Options& options) {
    std::ifstream in(options.summarize);
    std::vector<double> latencies;
    for (double value = 0; in >> value;) {
        latencies.push_back(value);
    }
    return printFigures(options.variant, std::move(latencies));
}

bool appendSamples(const std::string& path, const std::vector<double>& latencies) {
    std::ofstream out(path, std::ios::app);
    for (const double value : latencies) {
        out << value << '\n';
    }
    return static_cast<bool>(out);
}

}  // namespace

// The options, then the one measurement the probe makes, in order.
// NOLINTNEXTLINE(readability-function-size)
int main(int argc, char** argv) {
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string arg = argv[i];
        const char* value = argv[i + 1];
        if (arg == "--descriptor") {
            options.descriptor = value;
        } else if (arg == "--variant") {
            options.variant = value;
        } else if (arg == "--command") {
            options.command = value;
        } else if (arg == "--device") {
            options.device = value;
        } else if (arg == "--count") {
            options.count = std::strtol(value, nullptr, 10);
        } else if (arg == "--warmup") {
            options.warmup = std::strtol(value, nullptr, 10);
        } else if (arg == "--rate") {
            options.rate = std::strtod(value, nullptr);
        } else if (arg == "--strace") {
            options.strace = value;
        } else if (arg == "--samples") {
            options.samples = value;
        } else if (arg == "--summarize") {
            options.summarize = value;
        } else {
            return usage();
        }
    }
    if (!options.summarize.empty()) {
        return summarize(options);
    }
    const bool external = options.variant != "kernel";
    if (options.descriptor.empty() || options.count <= 0 || external != !options.command.empty() ||
        external != !options.device.empty()) {
        return usage();
    }

    std::string error;
    const std::vector<uint8_t> descriptor = readDescriptorFile(options.descriptor, error);
    UhidCompanion companion("aa:bb:cc:dd:ee:70", descriptor);
    CompanionNodes nodes;
    if (descriptor.empty() || !companion.create(afterMs(5000), nodes, error)) {
        std::fprintf(stderr, "e2e_latency_probe: %s\n", error.c_str());
        return 1;
    }
    const auto stylus = std::find_if(nodes.twins.begin(), nodes.twins.end(), [](const auto& node) {
        return inputName(node).ends_with(" Stylus");
    });
    if (stylus == nodes.twins.end()) {
        std::fprintf(stderr, "e2e_latency_probe: the companion has no Stylus twin\n");
        return 1;
    }
    const std::string twin = *stylus;
    std::string node = twin;
    ExternalProgram injector;
    if (external) {
        const std::string command =
            replaceAll(replaceAll(options.command, "{twin}", twin), "{hidraw}", nodes.hidraw);
        const std::string device = replaceAll(options.device, "{twinname}", inputName(twin));
        if (!injector.start(command, error) ||
            !waitForUinputDevice(device, afterMs(10000), node, error) ||
            !waitForGrabbedTwin(twin, error)) {
            std::fprintf(stderr, "e2e_latency_probe: %s: %s\n", options.variant.c_str(),
                         error.c_str());
            return 1;
        }
    }

    EvdevReader reader;
    std::vector<double> latencies;
    ExternalProgram tracer;
    const std::vector<pid_t> measured = injector.processes();
    bool ok = reader.open(node, error) &&
              (options.strace.empty() || startTrace(tracer, measured, options.strace, error));
    const double cpuBefore = cpuNs(measured);
    ok = ok && measure(companion, reader, options, latencies, error);
    const double cpuAfter = cpuNs(measured);
    tracer.stop();
    injector.stop();
    if (!ok) {
        std::fprintf(stderr, "e2e_latency_probe: %s: %s\n", options.variant.c_str(), error.c_str());
        return 1;
    }
    const long reports = options.warmup + options.count;
    if (!options.strace.empty()) {
        return printSystemCalls(options.variant, options.strace, reports);
    }
    if (options.rate > 0) {
        std::printf("BENCH cpu %s: reports=%ld rate=%.0f cpu_us_per_report=%.1f\n",
                    options.variant.c_str(), reports, options.rate,
                    (cpuAfter - cpuBefore) / 1000.0 / static_cast<double>(reports));
        return 0;
    }
    if (options.samples.empty()) {
        return printFigures(options.variant, std::move(latencies));
    }
    if (!appendSamples(options.samples, latencies)) {
        std::fprintf(stderr, "e2e_latency_probe: cannot write %s\n", options.samples.c_str());
        return 1;
    }
    return 0;
}
