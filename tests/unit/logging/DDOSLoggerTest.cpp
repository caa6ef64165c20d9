#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <syslog.h>
#include <unistd.h>

#include "logging/DDLogFlag.hpp"
#include "logging/DDOSLogger.hpp"

namespace drawlume {
namespace {

constexpr int kSkipped = 77;

// Runs in a child with a mount namespace of its own: a private /dev whose
// /dev/log is our socket, so the real syslog(3) path is exercised without
// touching the machine's system log. Returns 0 when every line arrived with
// the expected priority.
int checkLinesThroughDevLog() {
    if (::unshare(CLONE_NEWNS) != 0 ||
        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("tmpfs", "/dev", "tmpfs", 0, nullptr) != 0) {
        return kSkipped;
    }
    const int sink = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "/dev/log");
    if (sink < 0 || ::bind(sink, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        return kSkipped;
    }
    timeval timeout{5, 0};
    ::setsockopt(sink, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    ::closelog();  // forget any connection inherited from the parent

    const std::vector<std::pair<uint32_t, int>> expected = {
        {DDLogFlagError, LOG_USER | LOG_ERR},     {DDLogFlagWarning, LOG_USER | LOG_ERR},
        {DDLogFlagInfo, LOG_USER | LOG_INFO},     {DDLogFlagDebug, LOG_USER | LOG_DEBUG},
        {DDLogFlagVerbose, LOG_USER | LOG_DEBUG}, {64, LOG_USER | LOG_NOTICE},
    };
    {
        auto logger = std::make_shared<DDOSLogger>();
        for (const auto& [flag, priority] : expected) {
            auto message = std::make_shared<DDLogMessage>();
            message->flag = flag;
            message->message = "line for flag " + std::to_string(flag);
            logger->logNow(message);
        }
    }
    for (const auto& [flag, priority] : expected) {
        char datagram[512] = {};
        const ssize_t n = ::recv(sink, datagram, sizeof datagram - 1, 0);
        const std::string text(datagram, n > 0 ? static_cast<size_t>(n) : 0);
        if (text.rfind("<" + std::to_string(priority) + ">", 0) != 0 ||
            !text.ends_with("[" + std::to_string(::getpid()) + "]: line for flag " +
                            std::to_string(flag))) {
            std::fprintf(stderr, "unexpected system log line: '%s'\n", text.c_str());
            return 1;
        }
    }
    return 0;
}

TEST(DDOSLoggerTest, EachFlagReachesTheSystemLogWithItsPriority) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::_exit(checkLinesThroughDevLog());
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == kSkipped) {
        GTEST_SKIP() << "needs root to give the test its own /dev/log";
    }
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace drawlume
