#include "Evdev.hpp"

#include <algorithm>
#include <array>
#include <cerrno>
#include <ctime>
#include <fstream>
#include <map>
#include <sstream>
#include <utility>

#include <fcntl.h>
#include <linux/input.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace drawlume::e2e {
namespace {

struct CodeEntry {
    const char* name;
    uint16_t type;
    uint16_t code;
};

// Generated at configure time: every numeric KEY_, BTN_, REL_, ABS_, MSC_ and SYN_
// definition in header order.
constexpr CodeEntry kCodes[] = {
#include "EventCodeTable.inc"
};

struct CodeTables {
    std::map<std::pair<uint16_t, uint16_t>, std::string> names;
    std::map<std::string, std::pair<uint16_t, uint16_t>, std::less<>> codes;

    CodeTables() {
        // Where the header gives a code two names (BTN_MOUSE and BTN_LEFT, BTN_DIGI and
        // BTN_TOOL_PEN), the later, narrower one is the one printed.
        for (const CodeEntry& entry : kCodes) {
            names[{entry.type, entry.code}] = entry.name;
            codes[entry.name] = {entry.type, entry.code};
        }
    }
};

const CodeTables& codeTables() {
    static const CodeTables instance;
    return instance;
}

// Whether `actual` has every event of `expected` (and, when `exact`, nothing else).
bool frameMatches(const Frame& expected, const Frame& actual, bool exact) {
    if (exact && expected.events.size() != actual.events.size()) {
        return false;
    }
    return std::all_of(expected.events.begin(), expected.events.end(), [&](const EventValue& want) {
        return std::any_of(actual.events.begin(), actual.events.end(), [&](const EventValue& got) {
            const bool valueMatches =
                want.value == kAnyValue ||
                (want.upTo ? got.value >= want.value && got.value <= *want.upTo
                           : got.value == want.value);
            return got.type == want.type && got.code == want.code && valueMatches;
        });
    });
}

}  // namespace

std::string eventCodeName(uint16_t type, uint16_t code) {
    const auto found = codeTables().names.find({type, code});
    return found != codeTables().names.end() ? found->second
                                             : std::to_string(type) + ":" + std::to_string(code);
}

bool eventCodeFromName(const std::string& name, uint16_t& type, uint16_t& code) {
    const auto found = codeTables().codes.find(name);
    if (found != codeTables().codes.end()) {
        std::tie(type, code) = found->second;
    }
    return found != codeTables().codes.end();
}

void Frame::normalize() {
    std::sort(events.begin(), events.end());
}

std::string formatFrame(const Frame& frame) {
    Frame sorted = frame;
    sorted.normalize();
    std::string text;
    for (const EventValue& event : sorted.events) {
        text += (text.empty() ? "" : " ") + eventCodeName(event.type, event.code) + "=" +
                (event.value == kAnyValue ? std::string("*") : std::to_string(event.value));
        if (event.upTo) {
            text += ".." + std::to_string(*event.upTo);
        }
    }
    return text;
}

bool parseFrame(const std::string& line, Frame& frame, std::string& error) {
    frame.events.clear();
    std::istringstream words(line);
    std::string word;
    while (words >> word) {
        const size_t equals = word.find('=');
        EventValue event;
        if (equals == std::string::npos ||
            !eventCodeFromName(word.substr(0, equals), event.type, event.code)) {
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
        event.value = static_cast<int32_t>(low);
        if (dots != std::string::npos) {
            event.upTo = static_cast<int32_t>(high);
        }
        frame.events.push_back(event);
    }
    frame.normalize();
    return true;
}

bool readFramesFile(const std::string& path, std::vector<Frame>& frames, std::string& error) {
    std::ifstream in(path);
    if (!in) {
        error = "cannot read " + path;
        return false;
    }
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        line = line.substr(0, line.find('#'));
        Frame frame;
        if (line.find_first_not_of(" \t") == std::string::npos) {
            continue;
        }
        if (!parseFrame(line, frame, error)) {
            error = path + ":" + std::to_string(number) + ": " + error;
            return false;
        }
        frames.push_back(frame);
    }
    return true;
}

bool framesContainInOrder(const std::vector<Frame>& expected, const std::vector<Frame>& actual,
                          std::string& difference) {
    size_t next = 0;
    for (size_t i = 0; i < expected.size(); ++i, ++next) {
        while (next < actual.size() && !frameMatches(expected[i], actual[next], false)) {
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

bool sameFrames(const std::vector<Frame>& expected, const std::vector<Frame>& actual,
                std::string& difference) {
    const size_t common = std::min(expected.size(), actual.size());
    for (size_t i = 0; i < common; ++i) {
        if (!frameMatches(expected[i], actual[i], true)) {
            difference = "frame " + std::to_string(i + 1) + ": expected '" +
                         formatFrame(expected[i]) + "', got '" + formatFrame(actual[i]) + "'";
            return false;
        }
    }
    if (expected.size() != actual.size()) {
        difference =
            "expected " + std::to_string(expected.size()) + " frames, got " +
            std::to_string(actual.size()) +
            (actual.size() > common ? "; the first extra: '" + formatFrame(actual[common])
                                    : "; the first missing: '" + formatFrame(expected[common])) +
            "'";
        return false;
    }
    return true;
}

bool EvdevReader::open(const std::string& node, std::string& error) {
    close();
    fd_ = ::open(node.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) {
        error = sysError("open " + node);
        return false;
    }
    node_ = node;
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

void EvdevReader::ungrab() {
    ioctl(fd_, EVIOCGRAB, 0);
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
                                          std::string& error) {
    pollfd watch{fd_, POLLIN, 0};
    const int ready = poll(&watch, 1, timeoutMs);
    if (ready == 0) {
        return Status::TimedOut;
    }
    std::array<input_event, 64> events{};
    const ssize_t got = ready < 0 ? -1 : read(fd_, events.data(), sizeof(events));
    if (got < 0 && (errno == EAGAIN || errno == EINTR)) {
        return Status::Complete;
    }
    if ((got < 0 && errno == ENODEV) || (got == 0 && (watch.revents & (POLLHUP | POLLERR)) != 0)) {
        return Status::Removed;
    }
    if (got < 0) {
        error = sysError("read " + node_);
        return Status::Failed;
    }
    for (size_t i = 0; i < static_cast<size_t>(got) / sizeof(input_event); ++i) {
        const input_event& event = events[i];
        if (event.type == EV_SYN && event.code == SYN_DROPPED) {
            error = "SYN_DROPPED on " + node_;
            return Status::Overflow;
        }
        if (event.type == EV_SYN && event.code == SYN_REPORT && !partial_.events.empty()) {
            partial_.normalize();
            frames.push_back(partial_);
            partial_.events.clear();
        } else if (event.type != EV_SYN && event.type != EV_MSC &&
                   !(event.type == EV_KEY && event.value == 2)) {
            partial_.events.push_back({event.type, event.code, event.value, std::nullopt});
        }
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
        const Status status = readOnce(deadline.remainingMs(), frames, error);
        if (status != Status::Complete && status != Status::TimedOut) {
            return status;
        }
    }
    return Status::Complete;
}

EvdevReader::Status EvdevReader::readUntilQuiet(int quietMs, const Deadline& deadline,
                                                std::vector<Frame>& frames, std::string& error) {
    while (!deadline.expired()) {
        const Status status = readOnce(deadline.capped(quietMs).remainingMs(), frames, error);
        if (status == Status::TimedOut) {
            return deadline.expired() ? Status::TimedOut : Status::Complete;
        }
        if (status != Status::Complete) {
            return status;
        }
    }
    return Status::TimedOut;
}

const char* statusName(EvdevReader::Status status) {
    constexpr const char* kNames[] = {"complete", "timed out", "device removed", "buffer overflow",
                                      "failed"};
    return kNames[static_cast<int>(status)];
}

}  // namespace drawlume::e2e
