#include <chrono>
#include <functional>
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

// A pipe whose open ends close with it.
struct Pipe {
    Pipe() { EXPECT_EQ(::pipe(fds), 0); }
    ~Pipe() {
        for (const int fd : fds) {
            if (fd >= 0) {
                ::close(fd);
            }
        }
    }
    int fds[2] = {-1, -1};
};

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

// A readable descriptor is served between tasks that repost themselves; one
// unwatched, or closed while watched (poll() reports it invalid), is not.
TEST(PollRunLoopTest, OnlyWatchedOpenDescriptorsAreServedAndTasksNeverStarveThem) {
    PollRunLoop loop;
    Pipe served;
    Pipe unwatched;
    Pipe closed;
    for (const Pipe* pipe : {&served, &unwatched, &closed}) {
        ASSERT_EQ(::write(pipe->fds[1], "x", 1), 1);
    }
    int reads = 0;
    int turns = 0;
    std::function<void()> chain = [&] {
        ++turns;
        if (reads == 0) {
            loop.post(chain);
        }
    };
    loop.post(chain);
    int others = 0;
    loop.unwatch(loop.watchReadable(unwatched.fds[0], [&] { ++others; }));
    loop.watchReadable(closed.fds[0], [&] { ++others; });
    ::close(closed.fds[0]);
    closed.fds[0] = -1;
    loop.watchReadable(served.fds[0], [&] {
        char byte = 0;
        reads += static_cast<int>(::read(served.fds[0], &byte, 1));
        loop.postAfter(0.05, [&] { loop.stop(); });
    });
    loop.run();
    EXPECT_EQ(reads, 1);
    EXPECT_LT(turns, 5);  // the chain did not starve the descriptor
    EXPECT_EQ(others, 0);
}

// A reader thread hands over only while the loop waits: the core never runs
// on two threads at once, and what came is handed over in order, then the end.
TEST(PollRunLoopTest, ReadsOnThreadsAreHandedOverOnlyWhileTheLoopWaits) {
    PollRunLoop loop(PollRunLoop::Reads::onThreads);
    Pipe pipe;
    std::vector<std::string> order;
    loop.watchReads(pipe.fds[0], 4, 2, [&](std::span<const uint8_t> bytes, int error) {
        order.emplace_back(bytes.empty() ? "end " + std::to_string(error)
                                         : std::string(bytes.begin(), bytes.end()));
        if (bytes.empty()) {
            loop.stop();
        }
    });
    loop.post([&] {
        ASSERT_EQ(::write(pipe.fds[1], "abcdefghij", 10), 10);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        order.emplace_back("task done");
        ::close(pipe.fds[1]);
        pipe.fds[1] = -1;
    });
    loop.run();
    EXPECT_EQ(order, (std::vector<std::string>{"task done", "abcd", "efgh", "ij", "end 0"}));
}

}  // namespace
}  // namespace drawlume
