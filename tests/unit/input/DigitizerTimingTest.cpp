#include <gmock/gmock.h>

#include "input/HandlerFixture.hpp"

namespace drawlume::testing {
namespace {

class DigitizerTimingTest : public HandlerFixture {
protected:
    DigitizerTimingTest() {
        services.debugLogCollector.setOnLogUpdated(
            [this](const std::vector<std::string>& lines) { debugLines = lines; });
        services.debugLogCollector.setOnEventsPerSecUpdated(
            [this](int64_t rate) { rates.push_back(rate); });
    }

    void report() { pen(0x10); }
    void settle() {
        services.debugLogCollector.flush();
        services.runLoop.runUntilIdle();
    }
    std::vector<std::string> intervalLines() {
        settle();
        std::vector<std::string> messages;
        for (const std::string& line : debugLines) {
            messages.push_back(line.substr(15));  // after "[HH:mm:ss.SSS] "
        }
        return messages;
    }
    std::vector<std::string> debugLines;
    std::vector<int64_t> rates;
};

TEST_F(DigitizerTimingTest, IntervalsAreTimedOnlyWhileTheDebugViewIsOnAndMarkedAboveOneFrame) {
    for (int i = 0; i < 1000; ++i) {
        services.clocks.advance(0.004);
        report();
    }
    EXPECT_EQ(handler.digitizerEventCount(), 0);
    EXPECT_EQ(handler.lastDigitizerEventTime(), 0u);

    services.debugLogCollector.setEnabled(true);
    for (const int64_t interval : {0, 17'000'000, 17'010'000, 8'333'333}) {
        services.clocks.setMonotonicNanoseconds(services.clocks.monotonicNanoseconds() + interval);
        report();
    }
    // From the second report on; nothing of the time while off is counted.
    EXPECT_THAT(intervalLines(),
                ::testing::ElementsAre("Interval: 17.00 ms", "Interval: 17.01 ms - DELAY",
                                       "Interval: 8.33 ms"));
    EXPECT_TRUE(rates.empty());
}

TEST_F(DigitizerTimingTest, TheFirstSecondIsDiscardedAndEachLaterOneReported) {
    services.debugLogCollector.setEnabled(true);
    // Reports 1/128 s apart, a step the clocks hold exactly.
    const auto reportsOver = [&](int count) {
        for (int i = 0; i < count; ++i) {
            services.clocks.advance(1.0 / 128);
            report();
        }
    };
    reportsOver(128);  // closes the first window at 1.0 s: unreported
    reportsOver(127);  // just short of a second into the next window: still open
    settle();
    EXPECT_TRUE(rates.empty());
    reportsOver(1);
    settle();
    EXPECT_EQ(rates, std::vector<int64_t>{128});

    // A report after a long pause closes the window with what it counted.
    services.clocks.advance(5);
    report();
    settle();
    EXPECT_EQ(rates, (std::vector<int64_t>{128, 1}));
}

}  // namespace
}  // namespace drawlume::testing
