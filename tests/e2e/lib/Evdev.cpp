#include "Evdev.hpp"

#include <algorithm>
#include <array>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <fcntl.h>
#include <libevdev/libevdev.h>
#include <linux/input.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace drawlume::e2e {

namespace fs = std::filesystem;

std::string codeName(uint16_t type, uint16_t code) {
    const char* name = libevdev_event_code_get_name(type, code);
    return name != nullptr ? name : std::to_string(type) + ":" + std::to_string(code);
}

std::string formatFrame(Frame frame) {
    std::sort(frame.begin(), frame.end());
    std::string text;
    for (const EventValue& event : frame) {
        text += (text.empty() ? "" : " ") + codeName(event.type, event.code) + "=" +
                (event.value == kAnyValue ? std::string("*") : std::to_string(event.value));
        if (event.upTo) {
            text += ".." + std::to_string(*event.upTo);
        }
    }
    return text;
}

bool parseFrame(const std::string& line, Frame& frame, std::string& error) {
    frame.clear();
    std::istringstream words(line);
    for (std::string word; words >> word;) {
        const size_t equals = word.find('=');
        const std::string name = word.substr(0, equals);
        const int type = libevdev_event_type_from_code_name(name.c_str());
        const int code = libevdev_event_code_from_code_name(name.c_str());
        if (equals == std::string::npos || type < 0 || code < 0) {
            error = "not CODE=VALUE with a known code: " + word;
            return false;
        }
        const std::string value = word.substr(equals + 1);
        const size_t dots = value.find("..");
        long low = kAnyValue;
        long high = 0;
        if (value != "*" && (!parseNumber(value.substr(0, dots), INT32_MIN + 1L, INT32_MAX, low) ||
                             (dots != std::string::npos &&
                              !parseNumber(value.substr(dots + 2), low, INT32_MAX, high)))) {
            error = "not a number or a range LOW..HIGH: " + word;
            return false;
        }
        frame.push_back({static_cast<uint16_t>(type), static_cast<uint16_t>(code),
                         static_cast<int32_t>(low),
                         dots != std::string::npos ? std::optional<int32_t>(high) : std::nullopt});
    }
    return true;
}

bool framesContainInOrder(const std::vector<Frame>& expected, const std::vector<Frame>& actual,
                          std::string& difference) {
    // Whether `got` has every event of `want`.
    const auto contains = [](const Frame& want, const Frame& got) {
        return std::all_of(want.begin(), want.end(), [&](const EventValue& wanted) {
            return std::any_of(got.begin(), got.end(), [&](const EventValue& event) {
                return event.type == wanted.type && event.code == wanted.code &&
                       (wanted.value == kAnyValue ||
                        (wanted.upTo ? event.value >= wanted.value && event.value <= *wanted.upTo
                                     : event.value == wanted.value));
            });
        });
    };
    size_t next = 0;
    for (size_t i = 0; i < expected.size(); ++i, ++next) {
        while (next < actual.size() && !contains(expected[i], actual[next])) {
            ++next;
        }
        if (next == actual.size()) {
            difference = "expected frame " + std::to_string(i + 1) + " '" +
                         formatFrame(expected[i]) + "' not found in order among " +
                         std::to_string(actual.size()) + " frames read";
            return false;
        }
    }
    return true;
}

bool waitForUinputDevice(const std::string& name, const Deadline& deadline, std::string& devNode,
                         std::string& error) {
    size_t count = 0;
    const bool found = pollUntil(deadline, [&] {
        std::vector<std::string> nodes;
        for (const fs::path& input : children("/sys/devices/virtual/input", "input")) {
            // devtmpfs names a node as sysfs names its class device.
            for (const fs::path& event : children(input, "event")) {
                if (inputName("/dev/input/" + event.filename().string()) == name) {
                    nodes.push_back("/dev/input/" + event.filename().string());
                }
            }
        }
        count = nodes.size();
        devNode = count == 1 ? nodes.front() : "";
        return !devNode.empty() && access(devNode.c_str(), F_OK) == 0;
    });
    if (!found) {
        error = "input device '" + name + "': " + std::to_string(count) +
                " found when the time ran out";
    }
    return found;
}

std::string inputName(const std::string& devNode) {
    std::ifstream in("/sys/class/input/" + fs::path(devNode).filename().string() + "/device/name");
    std::string name;
    std::getline(in, name);
    return name;
}

bool EvdevReader::open(const std::string& node, std::string& error) {
    fd_ = ::open(node.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) {
        error = sysError("open " + node);
        return false;
    }
    node_ = node;
    return true;
}

int EvdevReader::probeGrab() {
    if (ioctl(fd_, EVIOCGRAB, 1) != 0) {
        return errno;
    }
    ioctl(fd_, EVIOCGRAB, 0);
    return 0;
}

void EvdevReader::discardPending() {
    std::array<input_event, 64> events{};
    while (fd_ >= 0 && ::read(fd_, events.data(), sizeof(events)) > 0) {
    }
    partial_.clear();
    overflowed_ = false;
}

bool waitForGrabbedTwin(const std::string& twin, std::string& error) {
    EvdevReader probe;
    if (!waitUntilHeldOpen(0, {twin}, afterMs(10000), error)) {
        return false;
    }
    sleepMs(200);
    if (!probe.open(twin, error) || probe.probeGrab() != EBUSY) {
        error = twin + " is open but not grabbed " + error;
        return false;
    }
    return true;
}

int EvdevReader::readOnce(int timeoutMs, std::vector<Frame>& frames, std::string& error) {
    pollfd watch{fd_, POLLIN, 0};
    const int ready = poll(&watch, 1, timeoutMs);
    if (ready == 0) {
        return 0;
    }
    std::array<input_event, 64> events{};
    const ssize_t got = ready < 0 ? -1 : ::read(fd_, events.data(), sizeof(events));
    if ((got < 0 && errno == ENODEV) || (got == 0 && (watch.revents & (POLLHUP | POLLERR)) != 0)) {
        return 2;
    }
    if (got < 0 && errno != EAGAIN && errno != EINTR) {
        error = sysError("read " + node_);
        return -1;
    }
    for (ssize_t i = 0; i < got / static_cast<ssize_t>(sizeof(input_event)); ++i) {
        const input_event& event = events[i];
        if (event.type == EV_SYN && event.code == SYN_DROPPED) {
            overflowed_ = true;
            error = "SYN_DROPPED on " + node_;
            return -1;
        }
        if (event.type == EV_SYN && event.code == SYN_REPORT && !partial_.empty()) {
            frames.push_back(partial_);
            partial_.clear();
        } else if (event.type != EV_SYN && event.type != EV_MSC &&
                   !(event.type == EV_KEY && event.value == 2)) {
            partial_.push_back({event.type, event.code, event.value, std::nullopt});
        }
    }
    return 1;
}

bool EvdevReader::read(size_t minFrames, int quietMs, const Deadline& deadline,
                       std::vector<Frame>& frames, std::string& error) {
    for (const size_t target = frames.size() + minFrames; remainingMs(deadline) > 0;) {
        const bool enough = frames.size() >= target;
        if (enough && quietMs < 0) {
            return true;
        }
        const int read = readOnce(
            remainingMs(enough ? std::min(deadline, afterMs(quietMs)) : deadline), frames, error);
        if (read < 0 || (read == 2 && !enough)) {
            error = read < 0 ? error : node_ + " went away before its frames came";
            return false;
        }
        if (read == 2 || (read == 0 && remainingMs(deadline) > 0)) {
            return true;
        }
    }
    error = "the time ran out reading " + node_;
    return false;
}

}  // namespace drawlume::e2e
