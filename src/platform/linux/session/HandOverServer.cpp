#include "platform/linux/session/HandOverServer.hpp"

#include <cerrno>
#include <cstring>
#include <string_view>
#include <utility>

#include <sys/socket.h>
#include <unistd.h>

#include "logging/LogMacros.hpp"
#include "platform/linux/session/SessionLock.hpp"

namespace drawlume {

namespace {
constexpr const char* kLogFile = "Drawlume___Bluetooth_Agent/HandOverServer";
}  // namespace

HandOverServer::HandOverServer(RunLoop& loop, int listeningFd, ShowWindow showWindow)
    : loop_(loop), listeningFd_(listeningFd), showWindow_(std::move(showWindow)) {
    if (listeningFd_ >= 0) {
        listenWatch_ = loop_.watchReadable(listeningFd_, [this] { accept(); });
    }
}

HandOverServer::~HandOverServer() {
    if (listeningFd_ >= 0) {
        loop_.unwatch(listenWatch_);
    }
    while (!connections_.empty()) {
        drop(connections_.begin()->first);
    }
}

void HandOverServer::accept() {
    const int connection = ::accept4(listeningFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (connection < 0) {
        return;  // the caller gave up meanwhile, or nothing was there
    }
    // The request may come a little after the connection: wait for it on the loop.
    connections_[connection] =
        loop_.watchReadable(connection, [this, connection] { serve(connection); });
}

void HandOverServer::serve(int connection) {
    char request[16] = {};
    const ssize_t length = ::recv(connection, request, sizeof request - 1, 0);
    if (length < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        return;
    }
    if (length > 0 && std::string_view(request) == SessionLock::kShowRequest) {
        const bool shown = showWindow_ && showWindow_();
        DDLogInfo("serve(_:)", shown ? "Another launch of the agent: main window shown"
                                     : "Another launch of the agent: no window to show");
        const char* answer = shown ? SessionLock::kShownAnswer : SessionLock::kNoWindowAnswer;
        // A few bytes on a fresh socket: they fit, or the caller is gone.
        [[maybe_unused]] const ssize_t sent =
            ::send(connection, answer, std::strlen(answer), MSG_NOSIGNAL);
    }
    drop(connection);
}

void HandOverServer::drop(int connection) {
    const auto found = connections_.find(connection);
    if (found == connections_.end()) {
        return;
    }
    loop_.unwatch(found->second);
    connections_.erase(found);
    ::close(connection);
}

}  // namespace drawlume
