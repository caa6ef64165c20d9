#include "platform/replay/HidRecordingParser.hpp"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <utility>
#include <vector>

#include "devices/ReportDescriptorParser.hpp"
#include "util/TextFormat.hpp"

namespace drawlume {

namespace {

// The longest report a HID device can send: the kernel's limit and the ID byte.
constexpr size_t kMaximumReportBytes = ReportDescriptorParser::kMaximumReportBytes + 1;

std::string_view trim(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    const size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

std::vector<std::string_view> words(std::string_view text) {
    std::vector<std::string_view> result;
    size_t position = 0;
    while (position < text.size()) {
        const size_t start = text.find_first_not_of(" \t", position);
        if (start == std::string_view::npos) {
            break;
        }
        size_t end = text.find_first_of(" \t", start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        result.push_back(text.substr(start, end - start));
        position = end;
    }
    return result;
}

template <typename Number>
bool parseNumber(std::string_view text, Number& value, int base) {
    if (text.empty()) {
        return false;
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return error == std::errc() && end == text.data() + text.size();
}

class Parser {
public:
    explicit Parser(std::string source) {
        result_.source = source;
        result_.recording = HidRecording{std::move(source), {}};
    }

    // False once the recording has failed: the rest need not be read.
    bool feedLine(std::string_view line) {
        if (!result_.recording) {
            return false;
        }
        ++line_;
        if (line_ > HidRecordingParser::kMaximumLines) {
            fail(strf("more than %zu lines", HidRecordingParser::kMaximumLines));
            return false;
        }
        if (line.size() > HidRecordingParser::kMaximumLineBytes) {
            fail(strf("a line longer than %zu bytes", HidRecordingParser::kMaximumLineBytes));
            return false;
        }
        parseLine(trim(line));
        return result_.recording.has_value();
    }

    // Fails at the line being read (the one after the last fed line).
    void failAtNextLine(std::string message) {
        ++line_;
        fail(std::move(message));
    }

    HidRecordingParser::Result finish() {
        if (result_.recording) {
            checkDevices();
        }
        return std::move(result_);
    }

private:
    void parseLine(std::string_view line) {
        if (line.empty() || line.front() == '#') {
            return;
        }
        if (line.size() < 2 || line[1] != ':') {
            fail(strf("expected a line of the form 'X: ...', found '%.*s'",
                      static_cast<int>(std::min<size_t>(line.size(), 20)), line.data()));
            return;
        }
        const char type = line[0];
        std::string_view rest = trim(line.substr(2));
        if (type != 'N' && type != 'P') {
            rest = trim(rest.substr(0, rest.find('#')));
        }
        switch (type) {
            case 'D':
                deviceLine(rest);
                break;
            case 'R':
                descriptorLine(rest);
                break;
            case 'N':
                current().name = std::string(rest);
                break;
            case 'P':
                current().physicalPath = std::string(rest);
                break;
            case 'I':
                identityLine(rest);
                break;
            case 'E':
                eventLine(rest);
                break;
            default:
                fail(strf("unknown line type '%c:'", type));
        }
    }

    // The device that D: last named; lines before any D: describe device 0.
    RecordedDevice& current() {
        if (!currentIndex_) {
            selectDevice(0);
        }
        return result_.recording->devices[*currentIndex_];
    }

    void selectDevice(uint32_t index) {
        auto& devices = result_.recording->devices;
        const auto found =
            std::find_if(devices.begin(), devices.end(),
                         [index](const auto& device) { return device.index == index; });
        if (found != devices.end()) {
            currentIndex_ = static_cast<size_t>(found - devices.begin());
            return;
        }
        RecordedDevice device;
        device.index = index;
        devices.push_back(std::move(device));
        deviceLines_.push_back(line_);
        currentIndex_ = devices.size() - 1;
    }

    void deviceLine(std::string_view rest) {
        uint32_t index = 0;
        if (!parseNumber(rest, index, 10)) {
            fail(strf("D: needs a device number, found '%.*s'", static_cast<int>(rest.size()),
                      rest.data()));
            return;
        }
        selectDevice(index);
    }

    // Reads "count b0 b1 ...", the count in decimal and the bytes in hex.
    bool byteList(const std::vector<std::string_view>& fields, size_t first, const char* what,
                  size_t maximum, std::vector<uint8_t>& bytes) {
        size_t count = 0;
        if (fields.size() <= first || !parseNumber(fields[first], count, 10)) {
            fail(strf("%s: needs a byte count", what));
            return false;
        }
        if (count > maximum) {
            fail(strf("%s: %zu bytes, more than the %zu a HID device can send", what, count,
                      maximum));
            return false;
        }
        if (fields.size() - first - 1 != count) {
            fail(strf("%s: announces %zu bytes but lists %zu", what, count,
                      fields.size() - first - 1));
            return false;
        }
        bytes.clear();
        bytes.reserve(count);
        for (size_t i = first + 1; i < fields.size(); ++i) {
            uint8_t byte = 0;
            if (fields[i].size() > 2 || !parseNumber(fields[i], byte, 16)) {
                fail(strf("%s: '%.*s' is not a hex byte", what, static_cast<int>(fields[i].size()),
                          fields[i].data()));
                return false;
            }
            bytes.push_back(byte);
        }
        return true;
    }

    void descriptorLine(std::string_view rest) {
        RecordedDevice& device = current();
        if (hasDescriptor(device)) {
            fail(strf("a second R: line for device %u", device.index));
            return;
        }
        if (!byteList(words(rest), 0, "R", ReportDescriptorParser::kMaximumDescriptorSize,
                      device.descriptorBytes)) {
            return;
        }
        auto parsed = ReportDescriptorParser::parse(device.descriptorBytes);
        if (!parsed.descriptor) {
            fail(strf("malformed report descriptor at byte %zu: %s", parsed.errorOffset,
                      parsed.error.c_str()));
            return;
        }
        device.descriptor = std::move(*parsed.descriptor);
        describedDevices_.push_back(device.index);
    }

    void identityLine(std::string_view rest) {
        const auto fields = words(rest);
        RecordedDevice& device = current();
        if (fields.size() != 3 || !parseNumber(fields[0], device.bus, 16) ||
            !parseNumber(fields[1], device.vendorID, 16) ||
            !parseNumber(fields[2], device.productID, 16)) {
            fail("I: needs bus, vendor and product in hex");
        }
    }

    void eventLine(std::string_view rest) {
        RecordedDevice& device = current();
        if (!hasDescriptor(device)) {
            fail(strf("E: before the R: line of device %u", device.index));
            return;
        }
        const auto fields = words(rest);
        RecordedReport report;
        if (fields.empty() || !parseTime(fields[0], report.microseconds)) {
            fail(strf("E: needs a time as seconds.microseconds of at most %lld seconds",
                      static_cast<long long>(kMaximumSeconds)));
            return;
        }
        if (!device.reports.empty() && report.microseconds < device.reports.back().microseconds) {
            fail("E: time goes back");
            return;
        }
        if (!byteList(fields, 1, "E", kMaximumReportBytes, report.bytes)) {
            return;
        }
        if (report.bytes.empty()) {
            fail("E: an empty report");
            return;
        }
        device.reports.push_back(std::move(report));
    }

    static bool parseTime(std::string_view text, int64_t& microseconds) {
        const size_t dot = text.find('.');
        if (dot == std::string_view::npos) {
            return false;
        }
        const std::string_view fraction = text.substr(dot + 1);
        int64_t seconds = 0;
        int64_t part = 0;
        if (fraction.empty() || fraction.size() > 6 ||
            !parseNumber(text.substr(0, dot), seconds, 10) || !parseNumber(fraction, part, 10) ||
            seconds < 0 || part < 0) {
            return false;
        }
        // Beyond this the microseconds do not fit in 64 bits.
        if (seconds > kMaximumSeconds) {
            return false;
        }
        for (size_t digits = fraction.size(); digits < 6; ++digits) {
            part *= 10;
        }
        microseconds = seconds * 1000000 + part;
        return true;
    }

    bool hasDescriptor(const RecordedDevice& device) const {
        return std::find(describedDevices_.begin(), describedDevices_.end(), device.index) !=
               describedDevices_.end();
    }

    void checkDevices() {
        const auto& devices = result_.recording->devices;
        if (devices.empty()) {
            line_ = std::max<size_t>(line_, 1);
            fail("no device in the recording");
            return;
        }
        for (size_t i = 0; i < devices.size(); ++i) {
            if (!hasDescriptor(devices[i])) {
                line_ = deviceLines_[i];
                fail(strf("device %u has no R: line", devices[i].index));
                return;
            }
        }
    }

    void fail(std::string message) {
        result_.recording.reset();
        result_.errorLine = line_;
        result_.error = std::move(message);
    }

    static constexpr int64_t kMaximumSeconds = (INT64_MAX - 999999) / 1000000;

    size_t line_ = 0;
    HidRecordingParser::Result result_;
    std::optional<size_t> currentIndex_;
    // The line that introduced each device, in the order of the devices.
    std::vector<size_t> deviceLines_;
    std::vector<uint32_t> describedDevices_;
};

}  // namespace

std::string HidRecordingParser::Result::message() const {
    return strf("%s:%zu: %s", source.c_str(), errorLine, error.c_str());
}

HidRecordingParser::Result HidRecordingParser::parse(std::string_view text, std::string source) {
    Parser parser(std::move(source));
    if (text.size() > kMaximumFileBytes) {
        parser.failAtNextLine(strf("larger than %zu bytes", kMaximumFileBytes));
        return parser.finish();
    }
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        if (!parser.feedLine(text.substr(start, end - start))) {
            break;
        }
        start = end + 1;
    }
    return parser.finish();
}

HidRecordingParser::Result HidRecordingParser::parseFile(const std::string& path) {
    Result failed;
    failed.source = path;
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) {
        failed.error = "cannot read the file: it is a directory";
        return failed;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        failed.error = "cannot read the file: " + errnoText(errno);
        return failed;
    }
    // Read a piece at a time and parsed line by line, so that a file without
    // end or without line breaks (a device node, a pipe) is refused at its
    // bound instead of filling the memory.
    Parser parser(path);
    std::vector<char> chunk(64 * 1024);
    std::string line;
    size_t total = 0;
    while (in) {
        in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        const auto got = static_cast<size_t>(in.gcount());
        total += got;
        if (total > kMaximumFileBytes) {
            parser.failAtNextLine(strf("larger than %zu bytes", kMaximumFileBytes));
            return parser.finish();
        }
        for (size_t start = 0; start < got;) {
            const char* begin = chunk.data() + start;
            const auto* newline = static_cast<const char*>(std::memchr(begin, '\n', got - start));
            const size_t length = newline == nullptr ? got - start : newline - begin;
            if (line.size() + length > kMaximumLineBytes) {
                parser.failAtNextLine(strf("a line longer than %zu bytes", kMaximumLineBytes));
                return parser.finish();
            }
            line.append(begin, length);
            start += length;
            if (newline != nullptr) {
                ++start;
                if (!parser.feedLine(line)) {
                    return parser.finish();
                }
                line.clear();
            }
        }
    }
    if (in.bad()) {
        failed.error = "cannot read the file";
        return failed;
    }
    if (!line.empty()) {
        parser.feedLine(line);
    }
    return parser.finish();
}

}  // namespace drawlume
