#include "platform/linux/session/SessionLock.hpp"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace drawlume {

namespace {

std::string describeErrno(int error) {
    return std::strerror(error);  // NOLINT(concurrency-mt-unsafe): before any thread starts
}

bool fillAddress(const std::string& path, sockaddr_un& address) {
    address = {};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        return false;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

pid_t readPid(int fd) {
    char text[32] = {};
    const ssize_t length = ::pread(fd, text, sizeof text - 1, 0);
    if (length <= 0) {
        return 0;
    }
    pid_t pid = 0;
    for (ssize_t i = 0; i < length && text[i] >= '0' && text[i] <= '9'; ++i) {
        pid = pid * 10 + (text[i] - '0');
    }
    return pid;
}

// Non-blocking: a holder whose backlog is full, or that hangs, costs the
// timeout at most. -1 when nothing accepted in time.
template <typename Remaining>
int connectBefore(const sockaddr_un& address, const Remaining& remainingMilliseconds) {
    for (;;) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            return -1;
        }
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
            return fd;
        }
        ::close(fd);
        // A holder that has just claimed the session binds its socket a moment later.
        if (remainingMilliseconds() == 0) {
            return -1;
        }
        ::usleep(20000);
    }
}

}  // namespace

SessionLock::SessionLock(const std::string& runtimeDirectory) {
    if (runtimeDirectory.empty() || runtimeDirectory.front() != '/') {
        problem_ = "XDG_RUNTIME_DIR is not set";
        return;
    }
    lockPath_ = runtimeDirectory + "/drawlume-agent.lock";
    socketPath_ = runtimeDirectory + "/drawlume-agent.socket";
    // Close-on-exec: a program the agent starts (a file browser) must not inherit the claim.
    lockFd_ = ::open(lockPath_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lockFd_ < 0) {
        problem_ = lockPath_ + ": " + describeErrno(errno);
        return;
    }
    if (::flock(lockFd_, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        if (error == EWOULDBLOCK) {
            state_ = State::heldByAnother;
            holderPid_ = readPid(lockFd_);
        } else {
            problem_ = lockPath_ + ": " + describeErrno(error);
        }
        ::close(lockFd_);
        lockFd_ = -1;
        return;
    }
    state_ = State::claimed;
    listen();
    const std::string pid = std::to_string(::getpid()) + "\n";
    if (::ftruncate(lockFd_, 0) == 0) {
        [[maybe_unused]] const ssize_t written = ::pwrite(lockFd_, pid.data(), pid.size(), 0);
    }
}

SessionLock::~SessionLock() {
    if (listenFd_ >= 0) {
        ::close(listenFd_);
        ::unlink(socketPath_.c_str());
    }
    if (lockFd_ >= 0) {
        ::close(lockFd_);  // drops the claim
    }
}

void SessionLock::listen() {
    sockaddr_un address{};
    if (!fillAddress(socketPath_, address)) {
        return;  // a runtime directory this long has no room for a socket: no hand-over
    }
    // Whatever is there was left by an agent that ended: we hold the claim now.
    ::unlink(socketPath_.c_str());
    listenFd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (listenFd_ < 0) {
        return;
    }
    // Listening from the start: a launch that comes while this agent is still
    // starting waits in the backlog until the run loop serves it.
    if (::bind(listenFd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listenFd_, 4) != 0) {
        ::close(listenFd_);
        listenFd_ = -1;
    }
}

SessionLock::Answer SessionLock::askHolderToShowWindow(double timeoutSeconds) const {
    sockaddr_un address{};
    if (state_ != State::heldByAnother || !fillAddress(socketPath_, address)) {
        return Answer::noAnswer;
    }
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                              std::chrono::duration<double>(timeoutSeconds));
    const auto remainingMilliseconds = [&deadline] {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        return static_cast<int>(std::max<int64_t>(left.count(), 0));
    };
    const int fd = connectBefore(address, remainingMilliseconds);
    if (fd < 0) {
        return Answer::noAnswer;
    }
    Answer answer = Answer::noAnswer;
    const size_t requestLength = std::strlen(kShowRequest);
    if (::send(fd, kShowRequest, requestLength, MSG_NOSIGNAL) ==
        static_cast<ssize_t>(requestLength)) {
        pollfd reply{fd, POLLIN, 0};
        char text[32] = {};
        if (::poll(&reply, 1, remainingMilliseconds()) == 1 &&
            ::recv(fd, text, sizeof text - 1, 0) > 0) {
            if (std::strcmp(text, kShownAnswer) == 0) {
                answer = Answer::windowShown;
            } else if (std::strcmp(text, kNoWindowAnswer) == 0) {
                answer = Answer::noWindow;
            }
        }
    }
    ::close(fd);
    return answer;
}

}  // namespace drawlume
