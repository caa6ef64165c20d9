// e2e_soak: runs inside the test VM. Creates a companion, starts the program under
// test with `sh -c CMD` ({twin} in CMD stands for the companion's Stylus twin), waits
// until it has grabbed the twin, then sends pen reports at a steady rate for a while
// (strokes: hover, press, drag with pressure and tilt, lift) and matches the frames
// on the input device named DEVICE that the program posts through ({twinname}: the
// twin's own name) to the reports: every report moves the pen, so every report must
// make one frame with its own ABS_X (see SoakLedger). Samples the program's resident
// memory and CPU time after a warm-up second and at the end.
//
//   e2e_soak --descriptor FILE --name NAME --command CMD --device DEVICE
//            [--seconds S] [--rate HZ] [--reference]
//
// Prints "SOAK NAME: ..." with the figures and, unless --reference (a run to compare
// with), the result lines soak.no_report_lost, soak.memory_flat and soak.program_lives.
// Exit status 0 when they passed, 1 otherwise, 2 on bad usage.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include <poll.h>

#include "CompanionDescriptor.hpp"
#include "CompanionReports.hpp"
#include "EvdevReader.hpp"
#include "ExternalProgram.hpp"
#include "ProcessStats.hpp"
#include "ScriptPlayer.hpp"
#include "SoakLedger.hpp"
#include "SysfsNodes.hpp"

using namespace drawlume::e2e;

namespace {

// Growth of the resident memory over the run that still counts as flat: the
// allocator may map a page or two for the log lines of the run.
constexpr long kFlatGrowthKiB = 512;
constexpr int kWarmUpMs = 1000;
constexpr int kQuietMs = 1000;
// Reports whose frames have not come yet, at most: the kernel keeps about twenty
// frames for a reader, and a program that fell behind catches up in one burst.
constexpr long kWindow = 12;

struct Options {
    std::string descriptor;
    std::string name;
    std::string command;
    std::string device;
    long seconds = 30;
    long rate = 1000;
    bool reference = false;
};

// Reads the program's pen device between the reports and books its frames. The same
// thread sends and reads: a reader on a thread of its own would have to be woken for
// each frame.
class FrameReader {
public:
    // A reader that may lose frames (for a reference run, which is measured for its
    // CPU time only) starts over after an overflow.
    FrameReader(EvdevReader& reader, SoakLedger& ledger, bool mayLose)
        : reader_(reader), ledger_(ledger), mayLose_(mayLose) {}

    // Reads what arrives until `due` (monotonic ns), and at least what is there now,
    // however late it is. False when the reader failed.
    bool readUntil(int64_t due) {
        int64_t left = 0;
        do {
            left = std::max<int64_t>(0, due - monotonicNs());
            if (!readWithin(left)) {
                return false;
            }
        } while (left > 0);
        return true;
    }

    // Waits until fewer than `window` reports are outstanding. A report whose frame
    // has not come within the time-out is given up as lost.
    bool awaitWindow(long window) {
        while (ledger_.outstanding() >= window) {
            const long before = ledger_.outstanding();
            const int64_t giveUpAt = monotonicNs() + kOverdueMs * 1'000'000;
            while (ledger_.outstanding() == before && monotonicNs() < giveUpAt) {
                if (!readWithin(giveUpAt - monotonicNs())) {
                    return false;
                }
            }
            if (ledger_.outstanding() == before) {
                ledger_.giveUpOldest();
            }
        }
        return true;
    }

    // Reads until the device has been quiet for `quietMs`.
    bool finish(int quietMs) { return read(quietMs); }

    EvdevReader::Status status() const { return status_; }
    const std::string& error() const { return error_; }

private:
    static constexpr int kOverdueMs = 1000;

    bool readWithin(int64_t nanoseconds) {
        const int64_t wait = std::max<int64_t>(0, nanoseconds);
        pollfd watch{reader_.fd(), POLLIN, 0};
        const timespec timeout{static_cast<time_t>(wait / 1'000'000'000),
                               static_cast<long>(wait % 1'000'000'000)};
        return ppoll(&watch, 1, &timeout, nullptr) <= 0 || read(0);
    }

    bool read(int quietMs) {
        std::vector<Frame> frames;
        status_ =
            reader_.readUntilQuiet(quietMs, Deadline::afterMs(quietMs + 10'000), frames, error_);
        for (const Frame& frame : frames) {
            ledger_.frame(frame);
        }
        if (status_ == EvdevReader::Status::Overflow && mayLose_) {
            reader_.discardPending();
            status_ = EvdevReader::Status::Complete;
        }
        return status_ == EvdevReader::Status::Complete;
    }

    EvdevReader& reader_;
    SoakLedger& ledger_;
    bool mayLose_;
    EvdevReader::Status status_ = EvdevReader::Status::Complete;
    std::string error_;
};

// The reports of the first second, after which the figures are sampled.
long warmUpReports(const Options& options) {
    return options.rate * kWarmUpMs / 1000;
}

bool parse(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--reference") {
            options.reference = true;
            continue;
        }
        if (i + 1 >= argc) {
            return false;
        }
        const char* value = argv[++i];
        if (arg == "--descriptor") {
            options.descriptor = value;
        } else if (arg == "--name") {
            options.name = value;
        } else if (arg == "--command") {
            options.command = value;
        } else if (arg == "--device") {
            options.device = value;
        } else if (arg == "--seconds") {
            options.seconds = std::strtol(value, nullptr, 10);
        } else if (arg == "--rate") {
            options.rate = std::strtol(value, nullptr, 10);
        } else {
            return false;
        }
    }
    return !options.descriptor.empty() && !options.name.empty() && !options.command.empty() &&
           !options.device.empty() && options.seconds > 0 && options.rate > 0 &&
           options.rate <= 10000;
}

int failAll(const Options& options, const std::string& why) {
    std::fprintf(stderr, "e2e_soak: %s: %s\n", options.name.c_str(), why.c_str());
    if (!options.reference) {
        std::printf("FAIL soak.no_report_lost: %s\n", why.c_str());
    }
    return 1;
}

// Sends one report every period for the whole run, with at most kWindow reports
// whose frames have not come yet. A companion does not catch up after a stall: it
// sends the next report on its next tick. Counts in `late` the reports sent more than
// ten periods late (the clock then starts again from now).
bool sendAll(UhidCompanion& companion, const Options& options, ExternalProgram& program,
             FrameReader& reader, SoakLedger& ledger, ProcessStats& warm, long& late,
             std::string& error) {
    const int64_t periodNs = 1'000'000'000 / options.rate;
    const long total = options.seconds * options.rate;
    const long warmUp = warmUpReports(options);
    int64_t due = monotonicNs();
    for (long i = 0; i < total; ++i) {
        if (i == warmUp) {
            warm = sampleProcesses(program.processes());
        }
        if (!reader.readUntil(due) || !reader.awaitWindow(kWindow)) {
            error = "the soak's own reader: " + std::string(statusName(reader.status())) + " " +
                    reader.error();
            return false;
        }
        const auto report = penReport(soakReport(i));
        if (!companion.send(report.data(), report.size(), error)) {
            error.insert(0, "report " + std::to_string(i) + ": ");
            return false;
        }
        ledger.setSent(i + 1);
        due += periodNs;
        if (monotonicNs() - due > 10 * periodNs) {
            ++late;
            due = monotonicNs();
        }
        if ((i + 1) % (60 * options.rate) == 0) {
            std::fprintf(stderr, "e2e_soak: %s: %ld reports, resident %ld KiB\n",
                         options.name.c_str(), i + 1, sampleProcesses(program.processes()).rssKiB);
        }
    }
    return true;
}

}  // namespace

// The options, then the one run the tool makes, in order.
// NOLINTNEXTLINE(readability-function-size)
int main(int argc, char** argv) {
    Options options;
    if (!parse(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: e2e_soak --descriptor FILE --name NAME --command CMD --device DEVICE "
                     "[--seconds S] [--rate HZ] [--reference]\n");
        return 2;
    }
    std::string error;
    const std::vector<uint8_t> descriptor = readDescriptorFile(options.descriptor, error);
    UhidCompanion companion;
    CompanionNodes nodes;
    UhidCompanion::Identity identity;
    identity.uniq = "aa:bb:cc:dd:ee:80";
    if (descriptor.empty() ||
        !createCompanion(companion, identity, descriptor, Deadline::afterMs(5000), nodes, error)) {
        return failAll(options, error);
    }
    const InputNode* twin = nodes.twin("Stylus");
    ExternalProgram program;
    InputNode output;
    EvdevReader device;
    if (!program.start(replaceAll(options.command, "{twin}", twin->devNode), error) ||
        !waitForInputDevice(replaceAll(options.device, "{twinname}", twin->name),
                            notUnder(nodes.hidPath), Deadline::afterMs(15000), output, error) ||
        !waitForGrabbedTwin(twin->devNode, error) || !device.open(output.devNode, error)) {
        return failAll(options, "the program did not take the companion: " + error);
    }

    SoakLedger ledger;
    FrameReader reader(device, ledger, options.reference);
    ProcessStats warm;
    long late = 0;
    const int64_t began = monotonicNs();
    const bool sent = sendAll(companion, options, program, reader, ledger, warm, late, error);
    const double sendSeconds = static_cast<double>(monotonicNs() - began) / 1e9;
    const bool read = sent && reader.finish(kQuietMs);
    ledger.finish();
    const ProcessStats end = sampleProcesses(program.processes());
    const bool lives = program.running();
    if (!sent) {
        return failAll(options, error);
    }

    const long total = options.seconds * options.rate;
    const auto measured = static_cast<double>(total - warmUpReports(options));
    const double userUs = (end.userSeconds - warm.userSeconds) * 1e6 / measured;
    const double systemUs = (end.systemSeconds - warm.systemSeconds) * 1e6 / measured;
    const long growth = end.rssKiB - warm.rssKiB;
    std::printf(
        "SOAK %s: reports=%ld seconds=%.1f rate_hz=%.0f frames=%ld lost=%ld extra=%ld "
        "late=%ld rss_start_kib=%ld rss_end_kib=%ld rss_growth_kib=%ld "
        "cpu_us_per_report=%.1f user_us=%.1f system_us=%.1f\n",
        options.name.c_str(), total, sendSeconds, static_cast<double>(total) / sendSeconds,
        ledger.framesWithX(), ledger.lost(), ledger.extra(), late, warm.rssKiB, end.rssKiB, growth,
        userUs + systemUs, userUs, systemUs);
    if (options.reference) {
        return 0;
    }
    bool passed = true;
    const auto result = [&passed](const char* check, bool ok, const std::string& why) {
        if (ok) {
            std::printf("PASS %s\n", check);
        } else {
            std::printf("FAIL %s: %s\n", check, why.c_str());
            passed = false;
        }
    };
    result("soak.no_report_lost", read && ledger.lost() == 0 && ledger.extra() == 0,
           !read ? std::string("the soak's own reader: ") + statusName(reader.status()) + " " +
                       reader.error()
                 : std::to_string(ledger.lost()) + " of " + std::to_string(total) +
                       " reports made no frame, " + std::to_string(ledger.extra()) +
                       " frames matched no report");
    result("soak.memory_flat", warm.complete && end.complete && growth <= kFlatGrowthKiB,
           !warm.complete || !end.complete
               ? std::string("the program's memory could not be read")
               : "grew by " + std::to_string(growth) + " KiB (more than " +
                     std::to_string(kFlatGrowthKiB) + ")");
    result("soak.program_lives", lives, options.name + " ended during the soak");
    // Lift and leave, so that nothing is left touching.
    PenState out;
    out.x = 8000;
    out.y = 6000;
    const auto leave = penReport(out);
    companion.send(leave.data(), leave.size(), error);
    return passed ? 0 : 1;
}
