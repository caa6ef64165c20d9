#include "Companion.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include <fcntl.h>
#include <linux/uhid.h>
#include <poll.h>
#include <unistd.h>

namespace drawlume::e2e {
namespace {

// A word of a report line: a bare switch ("tip", set to 1) when it has no range, or
// a "name=value" field within its range. What is not named stays 0.
struct Word {
    const char* name;
    long minimum = 0;
    long maximum = 0;
};
constexpr Word kPenWords[] = {{"tip"},         {"barrel"},      {"invert"},       {"eraser"},
                              {"range"},       {"x", 0, 32767}, {"y", 0, 32767},  {"p", 0, 32767},
                              {"tx", -90, 90}, {"ty", -90, 90}, {"twist", 0, 359}};
constexpr Word kMouseWords[] = {{"left"},          {"right"},         {"middle"},
                                {"dx", -127, 127}, {"dy", -127, 127}, {"wheel", -127, 127},
                                {"pan", -127, 127}};

template <size_t count>
bool parseWords(std::istringstream& words, const std::string& kind, const Word (&known)[count],
                long* values, std::string& error) {
    for (std::string word; words >> word;) {
        const size_t equals = word.find('=');
        const auto* entry = std::find_if(known, known + count, [&](const Word& candidate) {
            return word.substr(0, equals) == candidate.name &&
                   (candidate.maximum == 0) == (equals == std::string::npos);
        });
        if (entry == known + count) {
            error = "unknown " + kind + " word: " + word;
            return false;
        }
        long& value = values[entry - known];
        if (entry->maximum == 0) {
            value = 1;
        } else if (!parseNumber(word.substr(equals + 1), entry->minimum, entry->maximum, value)) {
            error = kind + " value out of range: " + word;
            return false;
        }
    }
    return true;
}

bool writeEvent(int fd, const uhid_event& event, size_t length, std::string& error) {
    if (write(fd, &event, length) != static_cast<ssize_t>(length)) {
        error = sysError("write /dev/uhid");
        return false;
    }
    return true;
}

}  // namespace

std::vector<uint8_t> keyboardReport(uint8_t modifiers, const std::vector<uint8_t>& usages) {
    companion::KeyboardReport keyboard;
    keyboard.modifiers = modifiers;
    std::copy_n(usages.begin(), std::min(usages.size(), keyboard.keys.size()),
                keyboard.keys.begin());
    const auto bytes = companion::encode(keyboard);
    return {bytes.begin(), bytes.end()};
}

bool parseReportLine(const std::string& line, std::vector<uint8_t>& report, std::string& error) {
    std::istringstream words(line);
    std::string kind;
    words >> kind;
    long v[11] = {};  // the words' values, in the order of the report's struct
    if (kind == "pen" && parseWords(words, kind, kPenWords, v, error)) {
        const auto bytes = companion::encode(companion::PenReport{
            v[0] != 0, v[1] != 0, v[2] != 0, v[3] != 0, v[4] != 0, static_cast<uint16_t>(v[5]),
            static_cast<uint16_t>(v[6]), static_cast<uint16_t>(v[7]), static_cast<int8_t>(v[8]),
            static_cast<int8_t>(v[9]), static_cast<uint16_t>(v[10])});
        report.assign(bytes.begin(), bytes.end());
        return true;
    }
    if (kind == "mouse" && parseWords(words, kind, kMouseWords, v, error)) {
        const auto bytes = companion::encode(companion::MouseReport{
            v[0] != 0, v[1] != 0, v[2] != 0, static_cast<int8_t>(v[3]), static_cast<int8_t>(v[4]),
            static_cast<int8_t>(v[5]), static_cast<int8_t>(v[6])});
        report.assign(bytes.begin(), bytes.end());
        return true;
    }
    if (kind == "pen" || kind == "mouse") {
        return false;
    }
    if (kind != "keys") {
        error = "unknown report kind: " + kind;
        return false;
    }
    std::vector<uint8_t> usages;
    for (std::string word; words >> word;) {
        long value = 0;
        if (word.rfind("mods=", 0) == 0
                ? !parseNumber(word.substr(5), 0, 0xff, v[0])
                : word.size() > 2 || !parseNumber(word, 0, 0xff, value, 16) ||
                      usages.size() == companion::kKeyboardKeyCount) {
            error = "not a modifier byte or a key usage (hex, at most six): " + word;
            return false;
        }
        if (word.rfind("mods=", 0) != 0) {
            usages.push_back(static_cast<uint8_t>(value));
        }
    }
    report = keyboardReport(static_cast<uint8_t>(v[0]), usages);
    return true;
}

bool readScriptFile(const std::string& path, std::vector<ScriptStep>& steps, std::string& error) {
    std::ifstream in(path);
    if (!in) {
        error = "cannot read " + path;
        return false;
    }
    using Kind = ScriptStep::Kind;
    std::string text;
    for (int line = 1; std::getline(in, text); ++line) {
        const std::string content = text.substr(0, text.find('#'));
        std::istringstream words(content);
        std::string verb;
        if (!(words >> verb)) {
            continue;
        }
        ScriptStep step{Kind::report, {}, 0, {}, line};
        long milliseconds = -1;
        bool ok = true;
        if (verb == "sleep" || verb == "wait") {
            step.kind = verb == "sleep" ? Kind::sleep : Kind::waitFile;
            ok = (verb == "sleep" || words >> step.path) && words >> milliseconds &&
                 milliseconds >= 0 && milliseconds <= 600'000;
            error =
                verb == "sleep" ? "sleep needs milliseconds" : "wait needs a file and milliseconds";
        } else if (verb == "touch") {
            step.kind = Kind::touchFile;
            ok = static_cast<bool>(words >> step.path);
            error = "touch needs a file";
        } else if (verb == "remove" || verb == "add") {
            step.kind = verb == "remove" ? Kind::remove : Kind::add;
        } else {
            ok = parseReportLine(content, step.report, error);
        }
        if (!ok) {
            error = path + ":" + std::to_string(line) + ": " + error;
            return false;
        }
        step.milliseconds = static_cast<int>(milliseconds);
        steps.push_back(step);
    }
    return true;
}

std::vector<uint8_t> readDescriptorFile(const std::string& path, std::string& error) {
    std::ifstream in(path);
    std::vector<uint8_t> bytes;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        std::istringstream words(line.substr(0, line.find('#')));
        for (std::string word; words >> word;) {
            long value = 0;
            if (word.size() > 2 || !parseNumber(word, 0, 0xff, value, 16)) {
                error = path + ":" + std::to_string(number) + ": not a hex byte: " + word;
                return {};
            }
            bytes.push_back(static_cast<uint8_t>(value));
        }
    }
    if (bytes.empty()) {
        error = "no descriptor bytes in " + path;
    }
    return bytes;
}

bool UhidCompanion::create(const Identity& identity, const std::vector<uint8_t>& descriptor,
                           const Deadline& deadline, std::string& error) {
    destroy();
    if (descriptor.empty() || descriptor.size() > HID_MAX_DESCRIPTOR_SIZE) {
        error = "descriptor size " + std::to_string(descriptor.size()) + " out of range";
        return false;
    }
    fd_ = open("/dev/uhid", O_RDWR | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0) {
        error = sysError("open /dev/uhid");
        return false;
    }
    identity_ = identity;
    descriptor_ = descriptor;
    uhid_event event{};
    event.type = UHID_CREATE2;
    auto& create = event.u.create2;
    std::strncpy(reinterpret_cast<char*>(create.name), identity.name.c_str(),
                 sizeof(create.name) - 1);
    std::strncpy(reinterpret_cast<char*>(create.uniq), identity.uniq.c_str(),
                 sizeof(create.uniq) - 1);
    std::strncpy(reinterpret_cast<char*>(create.phys), "drawlume-e2e", sizeof(create.phys) - 1);
    create.rd_size = static_cast<uint16_t>(descriptor.size());
    create.bus = 0x05;  // BUS_BLUETOOTH
    create.vendor = 0x1d6b;
    create.product = 0x0e2e;
    std::memcpy(create.rd_data, descriptor.data(), descriptor.size());
    if (!writeEvent(fd_, event, sizeof(event), error)) {
        destroy();
        return false;
    }
    while (true) {
        pollfd watch{fd_, POLLIN, 0};
        if (poll(&watch, 1, deadline.remainingMs()) == 0) {
            error = "no UHID_START from the kernel in time";
            destroy();
            return false;
        }
        if (read(fd_, &event, sizeof(event)) > 0 && event.type == UHID_START) {
            return true;
        }
    }
}

bool UhidCompanion::recreate(const Deadline& deadline, std::string& error) {
    const Identity identity = identity_;
    const std::vector<uint8_t> descriptor = descriptor_;
    return create(identity, descriptor, deadline, error);
}

bool UhidCompanion::send(std::span<const uint8_t> report, std::string& error) {
    const size_t size = report.size();
    if (fd_ < 0 || size == 0 || size > UHID_DATA_MAX) {
        error = fd_ < 0 ? "the companion does not exist"
                        : "report size " + std::to_string(size) + " out of range";
        return false;
    }
    uhid_event event{};
    event.type = UHID_INPUT2;
    event.u.input2.size = static_cast<uint16_t>(size);
    std::memcpy(event.u.input2.data, report.data(), size);
    // Only the used part of the input request is written, as uhid allows: it keeps
    // the per-report cost near what a Bluetooth stack pays.
    if (!writeEvent(fd_, event, offsetof(uhid_event, u.input2.data) + size, error)) {
        return false;
    }
    drainEvents();
    return true;
}

void UhidCompanion::drainEvents() {
    uhid_event event{};
    while (fd_ >= 0 && read(fd_, &event, sizeof(event)) > 0) {
        // The descriptor has no feature or output reports, but hid-input may still ask;
        // an error answer keeps the asking thread from waiting for its time-out.
        uhid_event reply{};
        if (event.type == UHID_GET_REPORT) {
            reply.type = UHID_GET_REPORT_REPLY;
            reply.u.get_report_reply.id = event.u.get_report.id;
            reply.u.get_report_reply.err = EIO;
        } else if (event.type == UHID_SET_REPORT) {
            reply.type = UHID_SET_REPORT_REPLY;
            reply.u.set_report_reply.id = event.u.set_report.id;
            reply.u.set_report_reply.err = EIO;
        } else {
            continue;
        }
        std::string ignored;
        writeEvent(fd_, reply, sizeof(reply), ignored);
    }
}

void UhidCompanion::destroy() {
    if (fd_ >= 0) {
        uhid_event event{};
        event.type = UHID_DESTROY;
        std::string ignored;
        writeEvent(fd_, event, sizeof(event), ignored);
        close(fd_);
        fd_ = -1;
    }
}

bool createCompanion(UhidCompanion& companion, const UhidCompanion::Identity& identity,
                     const std::vector<uint8_t>& descriptor, const Deadline& deadline,
                     CompanionNodes& nodes, std::string& error, size_t twinCount) {
    return companion.create(identity, descriptor, deadline, error) &&
           waitForCompanionNodes(identity.uniq, twinCount, deadline, nodes, error);
}

bool playScript(UhidCompanion& companion, const std::vector<ScriptStep>& steps,
                std::string& error) {
    using Kind = ScriptStep::Kind;
    for (const ScriptStep& step : steps) {
        bool ok = true;
        if (step.kind == Kind::report) {
            ok = companion.send(step.report, error);
        } else if (step.kind == Kind::sleep) {
            sleepMs(step.milliseconds);
        } else if (step.kind == Kind::waitFile) {
            ok = pollUntil(Deadline::afterMs(step.milliseconds), [&] {
                companion.drainEvents();
                return access(step.path.c_str(), F_OK) == 0;
            });
            error = step.path + " did not appear in time";
        } else if (step.kind == Kind::touchFile) {
            ok = static_cast<bool>(std::ofstream(step.path));
            error = "cannot create " + step.path;
        } else if (step.kind == Kind::remove) {
            companion.destroy();
        } else {
            CompanionNodes nodes;
            const Deadline deadline = Deadline::afterMs(5000);
            ok = companion.recreate(deadline, error) &&
                 waitForCompanionNodes(companion.identity().uniq, kCompanionTwinCount, deadline,
                                       nodes, error);
        }
        if (!ok) {
            error = "script line " + std::to_string(step.line) + ": " + error;
            return false;
        }
        companion.drainEvents();
    }
    return true;
}

}  // namespace drawlume::e2e
