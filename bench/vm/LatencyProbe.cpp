// e2e_latency_probe: runs inside the test VM. Measures, for each pen report a
// simulated companion writes to /dev/uhid, the time until a frame can be read from
// an evdev node:
//   --variant kernel            the companion's own Stylus twin (hid-input: the floor)
//   --variant NAME --command CMD --device DEVICE
//                               a re-injecting process started with `sh -c CMD` (with
//                               {twin} replaced by the twin's node), read from the
//                               input device named DEVICE that it creates (named
//                               {twinname} for the twin's own name)
// An external variant is measured once its process holds the twin grabbed: reports
// sent before then would reach nobody. One report at a time: write, wait for its
// frame, next. Prints
//   BENCH latency NAME: n=N median_us=M p99_us=P mean_us=A max_us=X
// Exit status 0 measured, 1 failed.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "Companion.hpp"
#include "Evdev.hpp"

using namespace drawlume::e2e;

namespace {

struct Options {
    std::string descriptor;
    std::string variant = "kernel";
    std::string command;
    std::string device;
    long count = 5000;
    long warmup = 200;
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
    for (long i = 0; i < total; ++i) {
        // Hovering, moving far enough each time that any mapping onto a display still
        // changes the position: every report makes a frame.
        PenState pen;
        pen.inRange = true;
        pen.x = (i % 2) == 0 ? 10000 : 12000;
        pen.y = 9000;
        const auto report = penReport(pen);
        const int64_t start = monotonicNs();
        if (!companion.send(report.data(), report.size(), error)) {
            return false;
        }
        std::vector<Frame> frames;
        const EvdevReader::Status status =
            reader.readFrames(1, Deadline::afterMs(2000), frames, error);
        const int64_t end = monotonicNs();
        if (status != EvdevReader::Status::Complete) {
            std::string reason = "report ";
            reason += std::to_string(i);
            reason += ": ";
            reason += statusName(status);
            reason += " ";
            reason += error;
            error = reason;
            return false;
        }
        // A report that made more than one frame leaves no stragglers for the next one.
        reader.readUntilQuiet(0, Deadline::afterMs(100), frames, error);
        if (i >= options.warmup) {
            latenciesUs.push_back(static_cast<double>(end - start) / 1000.0);
        }
    }
    return true;
}

int usage() {
    std::fprintf(stderr,
                 "usage: e2e_latency_probe --descriptor FILE [--variant kernel | "
                 "--variant NAME --command CMD --device DEVICE] [--count N] "
                 "[--warmup N] [--samples FILE]\n"
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
    UhidCompanion companion;
    CompanionNodes nodes;
    UhidCompanion::Identity identity;
    identity.uniq = "aa:bb:cc:dd:ee:70";
    if (descriptor.empty() ||
        !createCompanion(companion, identity, descriptor, Deadline::afterMs(5000), nodes, error)) {
        std::fprintf(stderr, "e2e_latency_probe: %s\n", error.c_str());
        return 1;
    }
    const InputNode* twin = nodes.twin("Stylus");
    std::string node = twin->devNode;
    ExternalProgram injector;
    if (external) {
        const std::string command = replaceAll(options.command, "{twin}", twin->devNode);
        const std::string device = replaceAll(options.device, "{twinname}", twin->name);
        InputNode created;
        if (!injector.start(command, error) ||
            !waitForInputDevice(device, notUnder(nodes.hidPath), Deadline::afterMs(10000), created,
                                error) ||
            !waitForGrabbedTwin(twin->devNode, error)) {
            std::fprintf(stderr, "e2e_latency_probe: %s: %s\n", options.variant.c_str(),
                         error.c_str());
            return 1;
        }
        node = created.devNode;
    }

    EvdevReader reader;
    std::vector<double> latencies;
    const bool measured =
        reader.open(node, error) && measure(companion, reader, options, latencies, error);
    injector.stop();
    if (!measured) {
        std::fprintf(stderr, "e2e_latency_probe: %s: %s\n", options.variant.c_str(), error.c_str());
        return 1;
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
