// Report timing for the live debug view: the spacing of digitizer reports and
// their number per second, measured only while the view collects.

#include "input/InputReportHandler.hpp"
#include "logging/LogMacros.hpp"

namespace drawlume {

namespace {
constexpr const char* kLogFile = "Drawlume___Bluetooth_Agent/InputReportHandler";

// One frame at 60 Hz; a longer gap between reports is marked.
constexpr double kDelayThresholdMilliseconds = 17.0;
}  // namespace

void InputReportHandler::trackDigitizerLatency() {
    const uint64_t now = clocks_.monotonicNanoseconds();
    ++digitizerEventCount_;
    if (lastDigitizerEventTime_ != 0) {
        const double milliseconds = static_cast<double>(now - lastDigitizerEventTime_) / 1e6;
        debugLines_.addLog(
            strf("Interval: %.2f%s", milliseconds,
                 milliseconds > kDelayThresholdMilliseconds ? " ms - DELAY" : " ms"));
    }
    lastDigitizerEventTime_ = now;

    const double wallClock = clocks_.secondsSinceReferenceDate();
    if (wallClock - lastStatsLogTime_ < 1.0) {
        return;
    }
    // The window opened by construction or a reset is closed unreported.
    if (!isFirstStatsLog_) {
        DDLogInfo("trackDigitizerLatencyIfNeeded()",
                  strf("Digitizer events received: %lld in last second",
                       static_cast<long long>(digitizerEventCount_)));
        debugLines_.updateEventsPerSecond(digitizerEventCount_);
    }
    isFirstStatsLog_ = false;
    digitizerEventCount_ = 0;
    lastStatsLogTime_ = wallClock;
}

void InputReportHandler::resetDigitizerTiming() {
    lastDigitizerEventTime_ = 0;
    digitizerEventCount_ = 0;
    lastStatsLogTime_ = clocks_.secondsSinceReferenceDate();
    isFirstStatsLog_ = true;
    debugLines_.updateEventsPerSecond(0);
}

}  // namespace drawlume
