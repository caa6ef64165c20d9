#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "util/SerialQueue.hpp"

namespace drawlume {
namespace {

TEST(SerialQueueTest, SyncFromItsOwnWorkerRunsInlineInsteadOfDeadlocking) {
    SerialQueue queue("test");
    std::vector<int> order;
    queue.sync([&] {
        order.push_back(1);
        EXPECT_TRUE(queue.isCurrent());
        queue.sync([&] { order.push_back(2); });
        order.push_back(3);
    });
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
    EXPECT_FALSE(queue.isCurrent());
    EXPECT_EQ(SerialQueue::current(), nullptr);
}

TEST(SerialQueueTest, DestructionRunsWhatIsStillQueued) {
    std::atomic<int> ran{0};
    {
        SerialQueue queue("test");
        queue.async([] { std::this_thread::sleep_for(std::chrono::milliseconds(20)); });
        for (int i = 0; i < 100; ++i) {
            queue.async([&] { ran.fetch_add(1); });
        }
    }
    EXPECT_EQ(ran.load(), 100);
}

}  // namespace
}  // namespace drawlume
