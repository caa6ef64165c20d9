#include <functional>
#include <optional>
#include <string>
#include <thread>

#include <gtest/gtest.h>
#include <unistd.h>

#include "TempDirectory.hpp"
#include "platform/linux/session/HandOverServer.hpp"
#include "platform/linux/session/PollRunLoop.hpp"
#include "platform/linux/session/RunUntil.hpp"
#include "platform/linux/session/SessionLock.hpp"

namespace drawlume {
namespace {

using State = SessionLock::State;
using Answer = SessionLock::Answer;

// flock(2) locks belong to an open file, so a second claim from this same
// process is refused just as one from another process would be.
TEST(SessionLockTest, OneHolderAtATimeAndNothingStaleAfterIt) {
    testing::TempDirectory runtime;
    // What a crashed agent leaves behind: its lock file with its pid, its socket file.
    testing::writeFile(runtime.path() / "drawlume-agent.lock", "999999\n");
    testing::writeFile(runtime.path() / "drawlume-agent.socket", "");
    {
        SessionLock first(runtime.str());
        ASSERT_EQ(first.state(), State::claimed);
        SessionLock second(runtime.str());
        EXPECT_EQ(second.state(), State::heldByAnother);
        EXPECT_EQ(second.holderPid(), ::getpid());
    }
    SessionLock next(runtime.str());
    EXPECT_EQ(next.state(), State::claimed);
}

TEST(SessionLockTest, WithoutARuntimeDirectoryNothingIsClaimed) {
    for (const std::string directory : {"", "relative/run", "/nonexistent/drawlume-test"}) {
        SessionLock lock(directory);
        EXPECT_EQ(lock.state(), State::unguarded) << directory;
        EXPECT_FALSE(lock.problem().empty()) << directory;
        EXPECT_EQ(lock.askHolderToShowWindow(0.1), Answer::noAnswer);
    }
    EXPECT_EQ(SessionLock("").problem(), "XDG_RUNTIME_DIR is not set");
}

// A later launch asks over the real socket; the holder answers on its run loop.
TEST(SessionLockTest, TheHolderShowsItsWindowOrSaysItHasNone) {
    struct Case {
        const char* name;
        bool serves;
        bool hasWindow;
        Answer expected;
        int shownCount;
    };
    for (const Case& c : {Case{"window", true, true, Answer::windowShown, 1},
                          Case{"headless", true, false, Answer::noWindow, 0},
                          Case{"not serving yet", false, true, Answer::noAnswer, 0}}) {
        testing::TempDirectory runtime;
        SessionLock holder(runtime.str());
        ASSERT_EQ(holder.state(), State::claimed);
        PollRunLoop loop;
        int shown = 0;
        std::optional<HandOverServer> server;
        if (c.serves) {
            HandOverServer::ShowWindow show;
            if (c.hasWindow) {
                show = [&] { return ++shown > 0; };
            }
            server.emplace(loop, holder.listeningFd(), show);
        }
        std::optional<Answer> answer;
        std::thread launch([&] {
            const SessionLock later(runtime.str());
            const Answer received = later.askHolderToShowWindow(0.3);
            loop.post([&answer, received] { answer = received; });
        });
        EXPECT_TRUE(testing::runUntil(loop, [&] { return answer.has_value(); })) << c.name;
        launch.join();
        EXPECT_EQ(answer, c.expected) << c.name;
        EXPECT_EQ(shown, c.shownCount) << c.name;
    }
}

}  // namespace
}  // namespace drawlume
