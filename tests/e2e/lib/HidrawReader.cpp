#include "HidrawReader.hpp"

#include <array>
#include <cerrno>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include "SysError.hpp"

namespace drawlume::e2e {

HidrawReader::~HidrawReader() {
    if (fd_ >= 0) {
        close(fd_);
    }
}

bool HidrawReader::open(const std::string& node, std::string& error) {
    fd_ = ::open(node.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) {
        error = sysError("open " + node);
        return false;
    }
    node_ = node;
    return true;
}

bool HidrawReader::readReport(const Deadline& deadline, std::vector<uint8_t>& report,
                              std::string& error) {
    while (true) {
        pollfd watch{fd_, POLLIN, 0};
        const int ready = poll(&watch, 1, deadline.remainingMs());
        if (ready == 0) {
            error = "no report on " + node_ + " in time";
            return false;
        }
        std::array<uint8_t, 4096> buffer{};
        const ssize_t got = ready > 0 ? read(fd_, buffer.data(), buffer.size()) : -1;
        if (got > 0) {
            report.assign(buffer.begin(), buffer.begin() + got);
            return true;
        }
        if (got < 0 && errno != EAGAIN && errno != EINTR) {
            error = sysError("read " + node_);
            return false;
        }
    }
}

bool HidrawReader::waitForHangUp(const Deadline& deadline, std::string& error) {
    while (true) {
        pollfd watch{fd_, POLLIN, 0};
        const int ready = poll(&watch, 1, deadline.remainingMs());
        if (ready == 0) {
            error = node_ + " did not hang up in time";
            return false;
        }
        if (ready > 0 && (watch.revents & (POLLHUP | POLLERR)) != 0) {
            return true;
        }
        std::array<uint8_t, 4096> buffer{};
        if (read(fd_, buffer.data(), buffer.size()) < 0 && (errno == EIO || errno == ENODEV)) {
            return true;
        }
    }
}

}  // namespace drawlume::e2e
