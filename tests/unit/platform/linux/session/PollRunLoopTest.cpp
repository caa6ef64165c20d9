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

struct Pipe {
    Pipe() {
        if (::pipe(fds) != 0) {
            fds[0] = fds[1] = -1;
        }
    }
    ~Pipe() {
        closeReadEnd();
        if (fds[1] >= 0) {
            ::close(fds[1]);
        }
    }
    void closeReadEnd() {
        if (fds[0] >= 0) {
            ::close(fds[0]);
            fds[0] = -1;
        }
    }
    int fds[2] = {-1, -1};
};

TEST(PollRunLoopTest, RunsTasksInDueOrderThenStops) {
    PollRunLoop loop;
    std::vector<int> order;
    loop.postAfter(0.03, [&] {
        order.push_back(3);
        loop.stop();
    });
    loop.postAfter(0.01, [&] { order.push_back(2); });
    loop.post([&] { order.push_back(1); });
    const auto start = std::chrono::steady_clock::now();
    loop.run();
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));
}

TEST(PollRunLoopTest, PostFromAnotherThreadWakesABlockedLoop) {
    PollRunLoop loop;
    bool ran = false;
    std::thread poster([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        loop.post([&] {
            ran = true;
            loop.stop();
        });
    });
    loop.run();  // blocked in poll() with nothing due
    poster.join();
    EXPECT_TRUE(ran);
}

TEST(PollRunLoopTest, ReadableDescriptorIsServedBetweenTasksThatRepostThemselves) {
    PollRunLoop loop;
    Pipe pipe;
    ASSERT_EQ(::write(pipe.fds[1], "x", 1), 1);
    int turns = 0;
    std::function<void()> chain = [&] {
        ++turns;
        loop.post(chain);
    };
    loop.post(chain);
    int reads = 0;
    loop.watchReadable(pipe.fds[0], [&] {
        char byte = 0;
        reads += static_cast<int>(::read(pipe.fds[0], &byte, 1));
        loop.stop();
    });
    loop.run();
    EXPECT_EQ(reads, 1);
    EXPECT_LT(turns, 5);  // the chain did not starve the descriptor
}

TEST(PollRunLoopTest, UnwatchedAndClosedDescriptorsAreNotServed) {
    PollRunLoop loop;
    Pipe first;
    Pipe second;
    ASSERT_EQ(::write(first.fds[1], "x", 1), 1);
    ASSERT_EQ(::write(second.fds[1], "x", 1), 1);
    int calls = 0;
    const RunLoop::WatchId watch = loop.watchReadable(first.fds[0], [&] { ++calls; });
    loop.unwatch(watch);
    loop.watchReadable(second.fds[0], [&] { ++calls; });
    second.closeReadEnd();  // closed while watched: poll() reports it invalid
    loop.postAfter(0.05, [&] { loop.stop(); });
    loop.run();
    EXPECT_EQ(calls, 0);
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
