#include "platform/linux/uinput/HeldInputExitGuard.hpp"

#include <atomic>
#include <cerrno>
#include <cstdlib>

#include "platform/linux/uinput/UinputEventSink.hpp"

namespace drawlume {

namespace {

std::atomic<UinputEventSink*> guardedSink{nullptr};
std::atomic<bool> exitHookRegistered{false};

void releaseAtExit() {
    if (UinputEventSink* sink = guardedSink.exchange(nullptr)) {
        sink->releaseAllHeldInput();
    }
}

void releaseOnSignal(int signalNumber) {
    const int savedErrno = errno;
    if (UinputEventSink* sink = guardedSink.exchange(nullptr)) {
        sink->releaseAllHeldInputFromSignalHandler();
    }
    // End the process as the signal would have without us.
    struct sigaction fallback = {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(signalNumber, &fallback, nullptr);
    errno = savedErrno;
    raise(signalNumber);
}

}  // namespace

HeldInputExitGuard::HeldInputExitGuard(UinputEventSink& sink) {
    guardedSink.store(&sink);
    if (!exitHookRegistered.exchange(true)) {
        std::atexit(releaseAtExit);
    }
    for (size_t i = 0; i < std::size(kSignals); ++i) {
        struct sigaction current = {};
        if (sigaction(kSignals[i], nullptr, &current) != 0 || current.sa_handler != SIG_DFL ||
            (current.sa_flags & SA_SIGINFO) != 0) {
            continue;
        }
        struct sigaction handler = {};
        handler.sa_handler = releaseOnSignal;
        sigemptyset(&handler.sa_mask);
        for (const int other : kSignals) {
            sigaddset(&handler.sa_mask, other);
        }
        installed_[i] = sigaction(kSignals[i], &handler, &previous_[i]) == 0;
    }
}

HeldInputExitGuard::~HeldInputExitGuard() {
    for (size_t i = 0; i < std::size(kSignals); ++i) {
        // Put back what was there, unless someone has replaced our handler since.
        struct sigaction current = {};
        if (installed_[i] && sigaction(kSignals[i], nullptr, &current) == 0 &&
            current.sa_handler == releaseOnSignal) {
            sigaction(kSignals[i], &previous_[i], nullptr);
        }
    }
    guardedSink.store(nullptr);
}

}  // namespace drawlume
