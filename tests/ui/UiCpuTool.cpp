// Measures what the main window costs while pen reports flow: the whole
// windowed shell (model, device service, debug collector, window) over a
// scripted companion on a real X server, fed a pen stroke over and over at a
// fixed rate, with the live debug view on and off, and once with the window
// hidden for what the feeding and the device service cost without it. scripts/ui-cpu runs it and
// prints the process's CPU time as a fraction of one core.
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QtTest>
#include <cstdio>
#include <ctime>

#include "ShellFixture.hpp"

namespace drawlume {
namespace {

double processCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// The fraction of one core the process used while the reports played.
double measure(const std::vector<RecordedReport>& stroke, int rate, bool debug, bool shown,
               double seconds) {
    Shell shell;
    auto pad = shell.connectPadAndPhone();
    if (!QTest::qWaitForWindowExposed(shell.delegate.window())) {
        std::fprintf(stderr, "ui-cpu: the window was never shown\n");
    }
    shell.model().isDebugLogEnabled.set(debug);
    if (!shown) {
        shell.delegate.window()->hide();
    }
    QTest::qWait(1000);

    size_t next = 0;
    int64_t sent = 0;
    QElapsedTimer wall;
    QTimer feed;
    feed.setTimerType(Qt::PreciseTimer);
    QObject::connect(&feed, &QTimer::timeout, [&] {
        // Catch up with the rate in whole reports, as a radio link delivers them.
        const auto due = static_cast<int64_t>(static_cast<double>(wall.nsecsElapsed()) / 1e9 *
                                              static_cast<double>(rate));
        for (; sent < due; ++sent) {
            shell.clocks.advance(1.0 / rate);
            pad->sendReport(stroke[next].bytes);
            next = (next + 1) % stroke.size();
        }
    });
    const double cpuBefore = processCpuSeconds();
    wall.start();
    feed.start(1);
    QTest::qWait(static_cast<int>(seconds * 1000));
    feed.stop();
    const double elapsed = static_cast<double>(wall.nsecsElapsed()) / 1e9;
    const double cpu = processCpuSeconds() - cpuBefore;
    std::fprintf(stderr, "ui-cpu: %lld reports in %.1f s\n", static_cast<long long>(sent), elapsed);
    return cpu / elapsed;
}

}  // namespace
}  // namespace drawlume

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PEN-RECORDING [SECONDS]\n", argv[0]);
        return 2;
    }
    const std::vector<drawlume::RecordedReport> stroke = drawlume::padReports(argv[1], "ui-cpu");
    if (stroke.empty()) {
        return 2;
    }
    const double seconds = argc > 2 ? std::atof(argv[2]) : 10.0;
    struct Case {
        int rate;
        bool debug;
        bool shown;
        double target;
    };
    // The last row is the feeding and the device service alone, with the
    // window hidden: what the rows above cost beyond it is the window's.
    for (const Case& run :
         {Case{120, true, true, 0.05}, Case{1000, true, true, 0.15}, Case{120, false, true, 0.01},
          Case{1000, false, true, 0.01}, Case{1000, false, false, 0.0}}) {
        const double share = drawlume::measure(stroke, run.rate, run.debug, run.shown, seconds);
        if (run.shown) {
            std::printf("ui cpu, debug %s, %4d reports/s: %.3f of a core (target <= %.2f)\n",
                        run.debug ? "on " : "off", run.rate, share, run.target);
        } else {
            std::printf(
                "ui cpu, window hidden, %4d reports/s: %.3f of a core (the feeding and "
                "the service alone)\n",
                run.rate, share);
        }
        std::fflush(stdout);
    }
    return 0;
}
