#include "Frame.hpp"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "EventCodeNames.hpp"

namespace drawlume::e2e {

namespace {

bool parseNumber(const std::string& text, int32_t& value) {
    try {
        size_t used = 0;
        value = std::stoi(text, &used, 0);
        return used == text.size();
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace

void Frame::normalize() {
    std::sort(events.begin(), events.end());
}

std::string formatFrame(const Frame& frame) {
    Frame sorted = frame;
    sorted.normalize();
    std::string text;
    for (const EventValue& event : sorted.events) {
        if (!text.empty()) {
            text += ' ';
        }
        text += eventCodeName(event.type, event.code) + "=" +
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
        if (word.substr(equals + 1) == "*") {
            event.value = kAnyValue;
            frame.events.push_back(event);
            continue;
        }
        const std::string value = word.substr(equals + 1);
        const size_t dots = value.find("..");
        int32_t upTo = 0;
        if (!parseNumber(value.substr(0, dots), event.value) ||
            (dots != std::string::npos && !parseNumber(value.substr(dots + 2), upTo))) {
            error = "not a number or a range LOW..HIGH: " + word;
            return false;
        }
        if (dots != std::string::npos) {
            if (upTo < event.value) {
                error = "an empty range: " + word;
                return false;
            }
            event.upTo = upTo;
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
    int lineNumber = 0;
    while (std::getline(in, line)) {
        ++lineNumber;
        line = line.substr(0, line.find('#'));
        if (line.find_first_not_of(" \t") == std::string::npos) {
            continue;
        }
        Frame frame;
        std::string lineError;
        if (!parseFrame(line, frame, lineError)) {
            error = path + ":" + std::to_string(lineNumber) + ": " + lineError;
            return false;
        }
        frames.push_back(frame);
    }
    return true;
}

namespace {

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

bool framesContainInOrder(const std::vector<Frame>& expected, const std::vector<Frame>& actual,
                          std::string& difference) {
    size_t next = 0;
    for (size_t i = 0; i < expected.size(); ++i) {
        while (next < actual.size() && !frameMatches(expected[i], actual[next], false)) {
            ++next;
        }
        if (next == actual.size()) {
            difference = "expected frame " + std::to_string(i + 1) + " '" +
                         formatFrame(expected[i]) + "' not found in order among " +
                         std::to_string(actual.size()) + " frames read";
            return false;
        }
        ++next;
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
        difference = "expected " + std::to_string(expected.size()) + " frames, got " +
                     std::to_string(actual.size());
        if (actual.size() > common) {
            difference += "; the first extra: '" + formatFrame(actual[common]) + "'";
        } else {
            difference += "; the first missing: '" + formatFrame(expected[common]) + "'";
        }
        return false;
    }
    return true;
}

}  // namespace drawlume::e2e
