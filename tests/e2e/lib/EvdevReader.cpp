#include "EvdevReader.hpp"

#include <array>
#include <cerrno>
#include <ctime>

#include <fcntl.h>
#include <linux/input.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "EventCodeNames.hpp"
#include "SysError.hpp"

namespace drawlume::e2e {

EvdevReader::~EvdevReader() {
    close();
}

bool EvdevReader::open(const std::string& node, std::string& error) {
    close();
    fd_ = ::open(node.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) {
        error = sysError("open " + node);
        return false;
    }
    node_ = node;
    // Time stamps on the clock of monotonicNs(), so latencies can use them.
    int clock = CLOCK_MONOTONIC;
    ioctl(fd_, EVIOCSCLOCKID, &clock);
    return true;
}

void EvdevReader::close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    partial_.events.clear();
}

int EvdevReader::grab() {
    return ioctl(fd_, EVIOCGRAB, 1) == 0 ? 0 : errno;
}

int EvdevReader::ungrab() {
    return ioctl(fd_, EVIOCGRAB, 0) == 0 ? 0 : errno;
}

bool EvdevReader::heldKeys(std::vector<uint16_t>& codes, std::string& error) const {
    std::array<uint8_t, KEY_MAX / 8 + 1> bits{};
    if (ioctl(fd_, EVIOCGKEY(bits.size()), bits.data()) < 0) {
        error = sysError("EVIOCGKEY " + node_);
        return false;
    }
    codes.clear();
    for (uint16_t code = 0; code <= KEY_MAX; ++code) {
        if ((bits[code / 8] & (1U << (code % 8))) != 0) {
            codes.push_back(code);
        }
    }
    return true;
}

std::string describeKeys(const std::vector<uint16_t>& codes) {
    std::string text;
    for (const uint16_t code : codes) {
        text += (text.empty() ? "" : " ") + eventCodeName(EV_KEY, code);
    }
    return text.empty() ? "nothing" : text;
}

void EvdevReader::discardPending() {
    std::array<input_event, 64> events{};
    while (fd_ >= 0 && read(fd_, events.data(), sizeof(events)) > 0) {
    }
    partial_.events.clear();
}

EvdevReader::Status EvdevReader::readOnce(int timeoutMs, std::vector<Frame>& frames,
                                          bool& gotSomething, std::string& error) {
    gotSomething = false;
    pollfd watch{fd_, POLLIN, 0};
    const int ready = poll(&watch, 1, timeoutMs);
    if (ready < 0) {
        if (errno == EINTR) {
            return Status::Complete;
        }
        error = sysError("poll " + node_);
        return Status::Failed;
    }
    if (ready == 0) {
        return Status::TimedOut;
    }
    std::array<input_event, 64> events{};
    const ssize_t got = read(fd_, events.data(), sizeof(events));
    if (got < 0) {
        if (errno == EAGAIN || errno == EINTR) {
            return Status::Complete;
        }
        if (errno == ENODEV) {
            return Status::Removed;
        }
        error = sysError("read " + node_);
        return Status::Failed;
    }
    if (got == 0 && (watch.revents & (POLLHUP | POLLERR)) != 0) {
        return Status::Removed;
    }
    gotSomething = got > 0;
    const size_t count = static_cast<size_t>(got) / sizeof(input_event);
    for (size_t i = 0; i < count; ++i) {
        const input_event& event = events[i];
        if (event.type == EV_SYN && event.code == SYN_DROPPED) {
            error = "SYN_DROPPED on " + node_;
            return Status::Overflow;
        }
        if (event.type == EV_SYN && event.code == SYN_REPORT) {
            if (!partial_.events.empty()) {
                partial_.normalize();
                frames.push_back(partial_);
                partial_.events.clear();
                lastFrameTimeNs_ = static_cast<int64_t>(event.input_event_sec) * 1'000'000'000 +
                                   static_cast<int64_t>(event.input_event_usec) * 1000;
            }
            continue;
        }
        if (event.type == EV_SYN || (event.type == EV_MSC && !filter_.keepMsc) ||
            (event.type == EV_KEY && event.value == 2 && !filter_.keepRepeats)) {
            continue;
        }
        partial_.events.push_back({event.type, event.code, event.value, std::nullopt});
    }
    return Status::Complete;
}

EvdevReader::Status EvdevReader::readFrames(size_t count, const Deadline& deadline,
                                            std::vector<Frame>& frames, std::string& error) {
    const size_t target = frames.size() + count;
    while (frames.size() < target) {
        if (deadline.expired()) {
            return Status::TimedOut;
        }
        bool gotSomething = false;
        const Status status = readOnce(deadline.remainingMs(), frames, gotSomething, error);
        if (status != Status::Complete && status != Status::TimedOut) {
            return status;
        }
    }
    return Status::Complete;
}

EvdevReader::Status EvdevReader::readUntilQuiet(int quietMs, const Deadline& deadline,
                                                std::vector<Frame>& frames, std::string& error) {
    while (true) {
        if (deadline.expired()) {
            return Status::TimedOut;
        }
        bool gotSomething = false;
        const Status status =
            readOnce(deadline.capped(quietMs).remainingMs(), frames, gotSomething, error);
        if (status == Status::TimedOut) {
            return deadline.expired() ? Status::TimedOut : Status::Complete;
        }
        if (status != Status::Complete) {
            return status;
        }
    }
}

const char* statusName(EvdevReader::Status status) {
    switch (status) {
        case EvdevReader::Status::Complete:
            return "complete";
        case EvdevReader::Status::TimedOut:
            return "timed out";
        case EvdevReader::Status::Removed:
            return "device removed";
        case EvdevReader::Status::Overflow:
            return "buffer overflow";
        case EvdevReader::Status::Failed:
            return "failed";
    }
    return "unknown";
}

}  // namespace drawlume::e2e
