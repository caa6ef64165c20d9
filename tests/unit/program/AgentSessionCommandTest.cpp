// The agent program itself, run as a user would run it twice in one session,
// and across sleep with a stand-in logind on a bus of the test's own.
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ChildProcess.hpp"
#include "FakeLogind.hpp"
#include "PrivateBus.hpp"
#include "TempDirectory.hpp"
#include "TestData.hpp"

namespace drawlume {
namespace {

using testing::ChildProcess;
using testing::eventually;
using Environment = std::vector<std::pair<std::string, std::string>>;

class AgentSessionCommandTest : public ::testing::Test {
protected:
    // An empty value leaves the variable unset.
    Environment environment(bool withDisplay, const std::string& systemBus = "") const {
        return {{"XDG_RUNTIME_DIR", runtime_.str()},
                {"XDG_STATE_HOME", home_.str() + "/state"},
                {"XDG_CONFIG_HOME", home_.str() + "/config"},
                {"DISPLAY", withDisplay ? ":98" : ""},
                {"WAYLAND_DISPLAY", ""},
                {"QT_QPA_PLATFORM", "offscreen"},
                {"QT_LOGGING_RULES", "qt.qpa.*=false"},
                {"DBUS_SYSTEM_BUS_ADDRESS",
                 systemBus.empty() ? "unix:path=/nonexistent/drawlume-test/bus" : systemBus}};
    }
    std::unique_ptr<ChildProcess> launch(const std::vector<std::string>& arguments,
                                         const Environment& environment) {
        std::vector<std::string> command{DRAWLUME_AGENT};
        command.insert(command.end(), arguments.begin(), arguments.end());
        return std::make_unique<ChildProcess>(command, environment,
                                              home_.str() + "/run" + std::to_string(runs_++));
    }
    // The agent holding the session, once it has written its pid into the lock.
    bool holds(const ChildProcess& agent) const {
        return eventually([&] {
            return testing::readFile(runtime_.path() / "drawlume-agent.lock") ==
                   std::to_string(agent.pid()) + "\n";
        });
    }
    std::string logText() const {
        std::string text;
        const auto folder = home_.path() / "state/Logs/drawlume-agent";
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            text += testing::readFile(entry.path());
        }
        return text;
    }

    testing::TempDirectory runtime_;
    testing::TempDirectory home_;
    int runs_ = 0;
};

TEST_F(AgentSessionCommandTest, ASecondAgentIsRefusedWhileOneOffCommandsRunBeside) {
    auto first = launch({"--headless", "--print-events"}, environment(false));
    ASSERT_TRUE(holds(*first));
    const std::string pid = "(pid " + std::to_string(first->pid()) + ")";
    const std::string recording = testing::testDataPath("pen-stroke.hid").string();
    struct Case {
        std::vector<std::string> arguments;
        bool withDisplay;
        int status;
        std::string stderrHas;
    };
    const std::vector<Case> cases = {
        {{}, false, 1, "an agent is already running in this session " + pid},
        {{}, true, 1, "an agent without windows is already running in this session " + pid},
        // A replay that posts to the desktop is an agent too.
        {{"--replay", recording, "--fast"}, true, 1, "not starting another"},
        {{"--print-events", "--replay", recording, "--fast"}, false, 0, ""},
        {{"--start-at-login=off"}, false, 0, ""},
    };
    for (const Case& c : cases) {
        auto second = launch(c.arguments, environment(c.withDisplay));
        const std::string words = ::testing::PrintToString(c.arguments);
        ASSERT_EQ(second->wait(20.0), c.status) << words << "\n" << second->errors();
        if (c.stderrHas.empty()) {
            // Standard error carries the log, but no word of another agent.
            EXPECT_EQ(second->errors().find("another"), std::string::npos) << words;
            EXPECT_EQ(second->errors().find("already running"), std::string::npos) << words;
        } else {
            EXPECT_NE(second->errors().find(c.stderrHas), std::string::npos) << words << "\n"
                                                                             << second->errors();
            EXPECT_EQ(second->output(), "") << words;
        }
    }
    EXPECT_FALSE(first->wait(0.0).has_value());

    // A crash leaves the lock and socket files, but no claim: the next agent starts.
    EXPECT_EQ(first->stop(SIGKILL), 128 + SIGKILL);
    auto next = launch({"--headless", "--print-events"}, environment(false));
    ASSERT_TRUE(holds(*next)) << next->errors();
}

// The windowed agent serves the same watcher on Qt's loop.
TEST_F(AgentSessionCommandTest, BothAgentsLetGoForSleepAndComeBackAfterWake) {
    testing::PrivateBus bus;
    if (bus.address().empty()) {
        GTEST_SKIP() << "dbus-daemon could not be started";
    }
    for (const bool withDisplay : {false, true}) {
        SCOPED_TRACE(withDisplay ? "windowed" : "headless");
        std::filesystem::remove_all(home_.path() / "state");
        testing::FakeLogind logind(bus.address());
        ASSERT_TRUE(logind.running());
        auto agent = launch(withDisplay ? std::vector<std::string>{"--print-events"}
                                        : std::vector<std::string>{"--headless", "--print-events"},
                            environment(withDisplay, bus.address()));
        const auto served = [&](const std::function<bool()>& condition) {
            return eventually([&] {
                logind.process();
                return condition();
            });
        };
        ASSERT_TRUE(served([&] { return logind.locksGiven() == 1; })) << agent->errors();
        EXPECT_EQ(logind.requests, std::vector<std::string>{"sleep/delay"});
        logind.announce(true);
        EXPECT_TRUE(served([&] { return logind.lastLockReleased(); }));
        logind.announce(false);
        EXPECT_TRUE(served([&] { return logind.locksGiven() == 2; }));
        EXPECT_EQ(agent->stop(SIGTERM), 0);
        const std::string log = logText();
        const size_t suspended = log.find("Suspending active device handling for system sleep");
        const size_t resumed = log.find("Resuming device handling after system wake");
        EXPECT_NE(suspended, std::string::npos) << log;
        EXPECT_NE(resumed, std::string::npos) << log;
        EXPECT_LT(suspended, resumed);
    }
}

}  // namespace
}  // namespace drawlume
