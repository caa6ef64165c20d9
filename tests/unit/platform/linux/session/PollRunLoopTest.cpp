#include <chrono>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/linux/session/PollRunLoop.hpp"

namespace drawlume {
namespace {

using Clock = std::chrono::steady_clock;

// Tasks run in due order and none early; a post from another thread wakes the
// loop blocked in poll() with nothing due.
TEST(PollRunLoopTest, RunsTasksInDueOrderAndAPostFromAnotherThreadWakesIt) {
    PollRunLoop loop;
    std::vector<int> order;
    const auto start = Clock::now();
    Clock::duration third{};
    loop.postAfter(0.03, [&] {
        order.push_back(3);
        third = Clock::now() - start;
    });
    loop.postAfter(0.01, [&] { order.push_back(2); });
    loop.post([&] { order.push_back(1); });
    std::thread poster([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(60));
        loop.post([&] {
            order.push_back(4);
            loop.stop();
        });
    });
    loop.run();
    poster.join();
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_GE(third, std::chrono::milliseconds(30));
}

// A reader thread hands over only while the loop waits: the core never runs
// on two threads at once, and what came is handed over in order, then the end.
TEST(PollRunLoopTest, ReadsOnThreadsAreHandedOverOnlyWhileTheLoopWaits) {
    PollRunLoop loop(PollRunLoop::Reads::onThreads);
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    std::vector<std::string> order;
    loop.watchReads(fds[0], 4, 2, [&](std::span<const uint8_t> bytes, int error) {
        order.emplace_back(bytes.empty() ? "end " + std::to_string(error)
                                         : std::string(bytes.begin(), bytes.end()));
        if (bytes.empty()) {
            loop.stop();
        }
    });
    loop.post([&] {
        ASSERT_EQ(::write(fds[1], "abcdefghij", 10), 10);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        order.emplace_back("task done");
        ::close(fds[1]);
    });
    loop.run();
    ::close(fds[0]);
    EXPECT_EQ(order, (std::vector<std::string>{"task done", "abcd", "efgh", "ij", "end 0"}));
}

}  // namespace
}  // namespace drawlume
