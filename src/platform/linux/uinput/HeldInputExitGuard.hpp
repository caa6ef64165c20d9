#pragma once

#include <csignal>

namespace drawlume {

class UinputEventSink;

// Makes sure the desktop is left with nothing pressed however the process
// ends. While a guard lives:
// - a normal exit (return from main, exit()) that skips destroying the sink
//   releases everything through it;
// - SIGINT, SIGTERM and SIGHUP release everything, then end the process with
//   the same signal (the kernel destroys the devices as their descriptors close).
// The signal handlers are installed only where nothing else handles those
// signals: an application that stops cleanly on a signal keeps its own
// handler and releases by destroying the sink. One guard at a time; create it
// on the main thread after the sink and destroy it before the sink.
class HeldInputExitGuard {
public:
    explicit HeldInputExitGuard(UinputEventSink& sink);
    ~HeldInputExitGuard();

    HeldInputExitGuard(const HeldInputExitGuard&) = delete;
    HeldInputExitGuard& operator=(const HeldInputExitGuard&) = delete;

private:
    static constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
    struct sigaction previous_[3] = {};
    bool installed_[3] = {};
};

}  // namespace drawlume
