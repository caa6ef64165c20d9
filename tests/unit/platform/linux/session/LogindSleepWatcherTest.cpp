#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "FakeLogind.hpp"
#include "LogCapture.hpp"
#include "PrivateBus.hpp"
#include "platform/linux/session/LogindSleepWatcher.hpp"
#include "platform/linux/session/PollRunLoop.hpp"
#include "platform/linux/session/RunUntil.hpp"

namespace drawlume {
namespace {

using testing::runUntil;

TEST(LogindSleepWatcherTest, DelayLockIsHeldThroughSleepHandlingThenTakenAgainAfterWake) {
    testing::PrivateBus bus;
    if (bus.address().empty()) {
        GTEST_SKIP() << "dbus-daemon could not be started";
    }
    testing::FakeLogind logind(bus.address());
    ASSERT_TRUE(logind.running());
    PollRunLoop loop;
    loop.watchReadable(logind.fd(), [&] { logind.process(); });

    // What the agent was told, and whether sleep was still held back while it handled it.
    std::vector<std::string> told;
    LogindSleepWatcher watcher(loop, [&](bool goingToSleep) {
        told.push_back(std::string(goingToSleep ? "sleep" : "wake") +
                       (watcher.holdsDelayLock() ? ", lock held" : ", no lock"));
    });
    ASSERT_TRUE(watcher.start(bus.address()));
    ASSERT_TRUE(runUntil(loop, [&] { return watcher.holdsDelayLock(); }));
    EXPECT_EQ(logind.requests, std::vector<std::string>{"sleep/delay"});
    EXPECT_FALSE(logind.lastLockReleased());

    logind.announce(true);
    ASSERT_TRUE(runUntil(loop, [&] { return logind.lastLockReleased(); }));
    EXPECT_EQ(told, std::vector<std::string>{"sleep, lock held"});
    EXPECT_FALSE(watcher.holdsDelayLock());

    logind.announce(false);
    ASSERT_TRUE(runUntil(loop, [&] { return watcher.holdsDelayLock(); }));
    EXPECT_EQ(told, (std::vector<std::string>{"sleep, lock held", "wake, no lock"}));
    EXPECT_EQ(logind.locksGiven(), 2);
    EXPECT_FALSE(logind.lastLockReleased());
}

}  // namespace
}  // namespace drawlume
