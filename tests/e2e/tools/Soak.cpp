// e2e soak --descriptor FILE --name NAME --command CMD --device DEVICE [--seconds S]
//          [--reference]
// Creates a companion, starts the program under test with `sh -c CMD` ({twin} in CMD
// stands for the companion's Stylus twin), waits until it has grabbed the twin, then
// sends pen strokes at a steady rate and matches the frames on the input device
// DEVICE ({twinname}: the twin's own name) to the reports: every report moves the pen,
// so every report must make one frame with its own ABS_X (see SoakLedger). Samples
// the program's resident memory and CPU time after a warm-up second and at the end.
// Prints "SOAK NAME: ..." with the figures and, unless --reference (a run to compare
// with, which may lose frames), soak.no_report_lost, soak.memory_flat and
// soak.program_lives.

#include <algorithm>
#include <cstdio>
#include <ctime>

#include <poll.h>

#include "Companion.hpp"
#include "SoakLedger.hpp"
#include "Tool.hpp"

namespace drawlume::e2e {
namespace {

// Growth of the resident memory over the run that still counts as flat: the
// allocator may map a page or two for the log lines of the run.
constexpr long kFlatGrowthKiB = 512;
// Reports whose frames have not come yet, at most: the kernel keeps about twenty
// frames for a reader, and a program that fell behind catches up in one burst.
constexpr long kWindow = 12;
constexpr int64_t kOverdueNs = 1'000'000'000;

// Sends the reports and reads the program's device between them, in one thread: a
// reader on a thread of its own would have to be woken for each frame.
class SoakRun {
public:
    SoakRun(UhidCompanion& companion, EvdevReader& device, bool mayLose)
        : companion_(companion), device_(device), mayLose_(mayLose) {}

    // One report every period for `total` reports, with at most kWindow outstanding
    // (an overdue one is given up as lost). A companion does not catch up after a
    // stall: it sends the next report on its next tick; `late` counts such stalls.
    bool sendAll(long total, long rate, ExternalProgram& program, long warmUp, ProcessStats& warm) {
        const int64_t periodNs = 1'000'000'000 / rate;
        int64_t due = monotonicNs();
        for (long i = 0; i < total; ++i) {
            if (i == warmUp) {
                warm = sampleProcesses(program.processes());
            }
            for (int64_t left = 1; left > 0;) {
                left = std::max<int64_t>(0, due - monotonicNs());
                if (!readWithin(left)) {
                    return false;
                }
            }
            while (ledger.outstanding() >= kWindow) {
                const long before = ledger.outstanding();
                const int64_t giveUpAt = monotonicNs() + kOverdueNs;
                while (ledger.outstanding() == before && monotonicNs() < giveUpAt) {
                    if (!readWithin(giveUpAt - monotonicNs())) {
                        return false;
                    }
                }
                if (ledger.outstanding() == before) {
                    ledger.giveUpOldest();
                }
            }
            if (!companion_.send(companion::encode(soakReport(i)), error)) {
                error.insert(0, "report " + std::to_string(i) + ": ");
                return false;
            }
            ledger.setSent(i + 1);
            due += periodNs;
            if (monotonicNs() - due > 10 * periodNs) {
                ++late;
                due = monotonicNs();
            }
            if ((i + 1) % (60 * rate) == 0) {
                std::fprintf(stderr, "e2e soak: %ld reports, resident %ld KiB\n", i + 1,
                             sampleProcesses(program.processes()).rssKiB);
            }
        }
        return true;
    }

    // Reads what comes within the time, or what is there now.
    bool readWithin(int64_t nanoseconds) {
        const int64_t wait = std::max<int64_t>(0, nanoseconds);
        pollfd watch{device_.fd(), POLLIN, 0};
        const timespec timeout{static_cast<time_t>(wait / 1'000'000'000),
                               static_cast<long>(wait % 1'000'000'000)};
        return ppoll(&watch, 1, &timeout, nullptr) <= 0 || readQuiet(0);
    }

    bool readQuiet(int quietMs) {
        std::vector<Frame> frames;
        bool read = device_.read(0, quietMs, afterMs(quietMs + 10'000), frames, error);
        for (const Frame& frame : frames) {
            ledger.frame(frame);
        }
        if (!read && mayLose_ && device_.overflowed()) {
            device_.discardPending();
            read = true;
        }
        if (!read) {
            error = "the soak's own reader: " + error;
        }
        return read;
    }

    SoakLedger ledger;
    std::string error;
    long late = 0;

private:
    UhidCompanion& companion_;
    EvdevReader& device_;
    bool mayLose_;
};

}  // namespace

// The options, then the one run the tool makes, in order.
// NOLINTNEXTLINE(readability-function-size)
int soakCommand(int argc, char** argv) {
    const Options options(argc, argv, {"descriptor", "name", "command", "device", "seconds"},
                          {"reference"});
    const std::string name = options.text("name");
    const long seconds = options.number("seconds", 30);
    const long rate = 1000;  // the rate of a companion's pen reports
    const bool reference = options.flag("reference");
    if (!options.valid() || name.empty() || options.text("command").empty() ||
        options.text("device").empty() || seconds <= 0) {
        std::fprintf(stderr, "usage: see tools/Soak.cpp\n");
        return 2;
    }
    const auto failAll = [&](const std::string& why) {
        std::fprintf(stderr, "e2e soak: %s: %s\n", name.c_str(), why.c_str());
        if (!reference) {
            std::printf("FAIL soak.no_report_lost: %s\n", why.c_str());
        }
        return 1;
    };
    std::string error;
    const std::vector<uint8_t> descriptor = readDescriptorFile(options.text("descriptor"), error);
    UhidCompanion companion("aa:bb:cc:dd:ee:80", descriptor);
    CompanionNodes nodes;
    if (descriptor.empty() || !companion.create(afterMs(5000), nodes, error)) {
        return failAll(error);
    }
    const auto twin = std::find_if(nodes.twins.begin(), nodes.twins.end(), [](const auto& node) {
        return inputName(node).ends_with(" Stylus");
    });
    ExternalProgram program;
    std::string output;
    EvdevReader device;
    if (twin == nodes.twins.end() ||
        !program.start(replaceAll(options.text("command"), "{twin}", *twin), error) ||
        !waitForUinputDevice(replaceAll(options.text("device"), "{twinname}", inputName(*twin)),
                             afterMs(15000), output, error) ||
        !waitForGrabbedTwin(*twin, error) || !device.open(output, error)) {
        return failAll("the program did not take the companion: " + error);
    }

    SoakRun run(companion, device, reference);
    ProcessStats warm;
    const long total = seconds * rate;
    const long warmUp = rate;  // the first second's reports
    const int64_t began = monotonicNs();
    const bool sent = run.sendAll(total, rate, program, warmUp, warm);
    const double sendSeconds = static_cast<double>(monotonicNs() - began) / 1e9;
    const bool read = sent && run.readQuiet(1000);
    run.ledger.finish();
    const ProcessStats end = sampleProcesses(program.processes());
    const bool lives = program.running();
    if (!sent) {
        return failAll(run.error);
    }
    const auto measured = static_cast<double>(total - warmUp);
    const double userUs = (end.userSeconds - warm.userSeconds) * 1e6 / measured;
    const double systemUs = (end.systemSeconds - warm.systemSeconds) * 1e6 / measured;
    const long growth = end.rssKiB - warm.rssKiB;
    std::printf(
        "SOAK %s: reports=%ld seconds=%.1f rate_hz=%.0f frames=%ld lost=%ld extra=%ld "
        "late=%ld rss_start_kib=%ld rss_end_kib=%ld rss_growth_kib=%ld "
        "cpu_us_per_report=%.1f user_us=%.1f system_us=%.1f\n",
        name.c_str(), total, sendSeconds, static_cast<double>(total) / sendSeconds,
        run.ledger.framesWithX(), run.ledger.lost(), run.ledger.extra(), run.late, warm.rssKiB,
        end.rssKiB, growth, userUs + systemUs, userUs, systemUs);
    if (reference) {
        return 0;
    }
    CheckReporter report;
    report.result("soak.no_report_lost", read && run.ledger.lost() == 0 && run.ledger.extra() == 0,
                  !read ? run.error
                        : std::to_string(run.ledger.lost()) + " of " + std::to_string(total) +
                              " reports made no frame, " + std::to_string(run.ledger.extra()) +
                              " frames matched no report");
    report.result("soak.memory_flat", warm.complete && end.complete && growth <= kFlatGrowthKiB,
                  !warm.complete || !end.complete
                      ? std::string("the program's memory could not be read")
                      : "grew by " + std::to_string(growth) + " KiB (more than " +
                            std::to_string(kFlatGrowthKiB) + ")");
    report.result("soak.program_lives", lives, name + " ended during the soak");
    // Lift and leave, so that nothing is left touching.
    companion.send(companion::encode(companion::PenReport{.x = 8000, .y = 6000}), error);
    return report.failures() == 0 ? 0 : 1;
}

}  // namespace drawlume::e2e
