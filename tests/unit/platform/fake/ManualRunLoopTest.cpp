#include <vector>

#include <gtest/gtest.h>

#include "platform/fake/ManualRunLoop.hpp"

namespace drawlume {
namespace {

TEST(ManualRunLoopTest, RunsTasksInTimeOrderAndPostingOrderOnVirtualTime) {
    ManualRunLoop loop;
    std::vector<int> order;
    loop.postAfter(0.2, [&] { order.push_back(3); });
    loop.post([&] {
        order.push_back(1);
        loop.post([&] { order.push_back(2); });  // posted while running: runs now too
        loop.postAfter(0.1, [&] { order.push_back(4); });
    });
    EXPECT_EQ(loop.runUntilIdle(), 2u);
    EXPECT_EQ(order, (std::vector<int>{1, 2}));

    loop.advance(0.15);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 4}));
    EXPECT_DOUBLE_EQ(loop.now(), 0.15);
    loop.advance(0.05);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 4, 3}));
    EXPECT_EQ(loop.pendingCount(), 0u);
}

TEST(ManualRunLoopTest, WatcherRemovedByAnotherWatcherIsNotCalled) {
    ManualRunLoop loop;
    int calls = 0;
    RunLoop::WatchId second = 0;
    loop.watchReadable(5, [&] {
        ++calls;
        loop.unwatch(second);
    });
    second = loop.watchReadable(5, [&] { ++calls; });
    EXPECT_TRUE(loop.signalReadable(5));
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(loop.signalReadable(6));
}

}  // namespace
}  // namespace drawlume
