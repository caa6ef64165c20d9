#include <optional>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/DebugLogCollector.hpp"
#include "platform/fake/ManualRunLoop.hpp"

namespace drawlume {
namespace {

class DebugLogCollectorTest : public ::testing::Test {
protected:
    DebugLogCollectorTest() {
        collector.setOnLogUpdated(
            [this](const std::vector<std::string>& lines) { deliveries.push_back(lines); });
        collector.setEnabled(true);
    }

    // Lets the collector's queue finish, then runs what it handed to the main queue.
    void settle() {
        collector.flush();
        runLoop.runUntilIdle();
    }

    // The message part of a line, checked to follow a "[HH:mm:ss.SSS] " stamp.
    static std::string messageOf(const std::string& line) {
        EXPECT_TRUE(std::regex_search(line, std::regex(R"(^\[\d\d:\d\d:\d\d\.\d{3}\] )"))) << line;
        return line.substr(15);
    }

    ManualRunLoop runLoop;
    DebugLogCollector collector{&runLoop};
    std::vector<std::vector<std::string>> deliveries;
};

TEST_F(DebugLogCollectorTest, LinesAreStampedWithLocalTimeAndDeliveredWholeOnTheMainQueue) {
    collector.addLog("Interval: 8.33 ms");
    collector.addLog("");
    collector.flush();
    EXPECT_TRUE(deliveries.empty()) << "callbacks run only on the main queue";
    runLoop.runUntilIdle();
    ASSERT_EQ(deliveries.size(), 2u);
    ASSERT_EQ(deliveries[1].size(), 2u);
    EXPECT_EQ(messageOf(deliveries[1][0]), "Interval: 8.33 ms");
    EXPECT_EQ(messageOf(deliveries[1][1]), "");  // still a line: the stamp and its blank
    EXPECT_EQ(deliveries[0], std::vector<std::string>{deliveries[1][0]});
}

TEST_F(DebugLogCollectorTest, WhileDisabledAddingDoesNothingButClearingStillWorks) {
    collector.addLog("kept");
    collector.setEnabled(false);
    collector.addLog("dropped");
    collector.setEnabled(true);
    collector.addLog("continued");  // after the retained line
    settle();
    ASSERT_EQ(deliveries.size(), 2u);
    ASSERT_EQ(deliveries.back().size(), 2u);
    EXPECT_EQ(messageOf(deliveries.back()[1]), "continued");

    collector.setEnabled(false);
    collector.clearLogs();
    settle();
    ASSERT_EQ(deliveries.size(), 3u);
    EXPECT_TRUE(deliveries.back().empty());
}

TEST(DebugLogCollectorLifetimeTest, WorkLeftBehindByADestroyedCollectorDoesNothing) {
    ManualRunLoop runLoop;
    int calls = 0;
    {
        DebugLogCollector collector(&runLoop);
        collector.setOnLogUpdated([&](const std::vector<std::string>&) { ++calls; });
        collector.setOnEventsPerSecUpdated([&](int64_t) { ++calls; });
        collector.setEnabled(true);
        collector.addLog("late");
        collector.updateEventsPerSecond(3);
    }
    runLoop.runUntilIdle();
    EXPECT_EQ(calls, 0);
}

}  // namespace
}  // namespace drawlume
