#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "util/SerialQueue.hpp"

namespace drawlume {
namespace {

TEST(SerialQueueTest, RunsTasksFromManyThreadsOneAtATimeKeepingEachThreadsOrder) {
    SerialQueue queue("test");
    constexpr int kThreads = 4;
    constexpr int kTasks = 2000;
    std::vector<std::vector<int>> seen(kThreads);
    std::atomic<int> running{0};
    std::atomic<bool> overlapped{false};
    std::vector<std::thread> producers;
    for (int t = 0; t < kThreads; ++t) {
        producers.emplace_back([&, t] {
            for (int i = 0; i < kTasks; ++i) {
                queue.async([&, t, i] {
                    if (running.fetch_add(1) != 0) {
                        overlapped = true;
                    }
                    seen[t].push_back(i);
                    running.fetch_sub(1);
                });
            }
        });
    }
    for (auto& producer : producers) {
        producer.join();
    }
    queue.flush();
    EXPECT_FALSE(overlapped);
    for (const auto& order : seen) {
        ASSERT_EQ(order.size(), static_cast<size_t>(kTasks));
        for (int i = 0; i < kTasks; ++i) {
            ASSERT_EQ(order[i], i);
        }
    }
}

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
