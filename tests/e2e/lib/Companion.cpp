#include "Companion.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <fcntl.h>
#include <linux/uhid.h>
#include <poll.h>
#include <unistd.h>

#include "input/CompanionReportLayout.hpp"
#include "platform/linux/hidraw/HidSysfs.hpp"

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

bool parseKeys(std::istringstream& words, companion::KeyboardReport& keyboard, std::string& error) {
    size_t count = 0;
    for (std::string word; words >> word;) {
        const bool modifiers = word.starts_with("mods=");
        long value = 0;
        if (modifiers ? !parseNumber(word.substr(5), 0, 0xff, value)
                      : word.size() > 2 || !parseNumber(word, 0, 0xff, value, 16) ||
                            count == keyboard.keys.size()) {
            error = "not a modifier byte or a key usage (hex, at most six): " + word;
            return false;
        }
        (modifiers ? keyboard.modifiers : keyboard.keys[count++]) = static_cast<uint8_t>(value);
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

bool parseReportLine(const std::string& line, std::vector<uint8_t>& report, std::string& error) {
    std::istringstream words(line);
    std::string kind;
    words >> kind;
    long v[11] = {};  // the words' values, in the order of the report's struct
    const auto keep = [&report](const auto& bytes) {
        report.assign(bytes.begin(), bytes.end());
        return true;
    };
    if (kind == "pen") {
        return parseWords(words, kind, kPenWords, v, error) &&
               keep(companion::encode(
                   companion::PenReport{v[0] != 0, v[1] != 0, v[2] != 0, v[3] != 0, v[4] != 0,
                                        static_cast<uint16_t>(v[5]), static_cast<uint16_t>(v[6]),
                                        static_cast<uint16_t>(v[7]), static_cast<int8_t>(v[8]),
                                        static_cast<int8_t>(v[9]), static_cast<uint16_t>(v[10])}));
    }
    if (kind == "mouse") {
        return parseWords(words, kind, kMouseWords, v, error) &&
               keep(companion::encode(
                   companion::MouseReport{v[0] != 0, v[1] != 0, v[2] != 0,
                                          static_cast<int8_t>(v[3]), static_cast<int8_t>(v[4]),
                                          static_cast<int8_t>(v[5]), static_cast<int8_t>(v[6])}));
    }
    companion::KeyboardReport keyboard;
    if (kind != "keys") {
        error = "unknown report kind: " + kind;
        return false;
    }
    return parseKeys(words, keyboard, error) && keep(companion::encode(keyboard));
}

std::vector<uint8_t> readDescriptorFile(const std::string& path, std::string& error) {
    std::vector<uint8_t> bytes;
    const bool read = readLines(
        path,
        [&bytes](const std::string& line, std::string& lineError) {
            std::istringstream words(line);
            long value = 0;
            for (std::string word; words >> word; bytes.push_back(static_cast<uint8_t>(value))) {
                if (word.size() > 2 || !parseNumber(word, 0, 0xff, value, 16)) {
                    lineError = "not a hex byte: " + word;
                    return false;
                }
            }
            return true;
        },
        error);
    if (read && bytes.empty()) {
        error = "no descriptor bytes in " + path;
    }
    return read ? bytes : std::vector<uint8_t>();
}

bool waitForCompanionNodes(const std::string& uniq, size_t twinCount, const Deadline& deadline,
                           CompanionNodes& nodes, std::string& error) {
    namespace fs = std::filesystem;
    const auto exists = [](const std::string& node) { return access(node.c_str(), F_OK) == 0; };
    const bool complete = pollUntil(deadline, [&] {
        nodes = {};
        for (const fs::path& hid : children("/sys/bus/hid/devices", "")) {
            if (HidSysfs::readUevent(hid).value_or(UeventFields{})["HID_UNIQ"] == uniq) {
                nodes.hidPath = hid.string();
            }
        }
        // devtmpfs names a node as sysfs names its class device.
        for (const fs::path& hidraw : children(fs::path(nodes.hidPath) / "hidraw", "hidraw")) {
            nodes.hidraw = "/dev/" + hidraw.filename().string();
        }
        nodes.twins = HidSysfs::evdevTwinNodes(nodes.hidPath);
        return !nodes.hidraw.empty() && exists(nodes.hidraw) && nodes.twins.size() == twinCount &&
               std::all_of(nodes.twins.begin(), nodes.twins.end(), exists);
    });
    if (!complete) {
        error = "companion " + uniq + ": hid device '" + nodes.hidPath + "', hidraw '" +
                nodes.hidraw + "', " + std::to_string(nodes.twins.size()) + " of " +
                std::to_string(twinCount) + " twins when the time ran out";
    }
    return complete;
}

bool UhidCompanion::create(const Deadline& deadline, CompanionNodes& nodes, std::string& error) {
    destroy();
    fd_ = open("/dev/uhid", O_RDWR | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0) {
        error = sysError("open /dev/uhid");
        return false;
    }
    uhid_event event{};
    event.type = UHID_CREATE2;
    auto& create = event.u.create2;
    std::strncpy(reinterpret_cast<char*>(create.name), name_.c_str(), sizeof(create.name) - 1);
    std::strncpy(reinterpret_cast<char*>(create.uniq), uniq_.c_str(), sizeof(create.uniq) - 1);
    std::strncpy(reinterpret_cast<char*>(create.phys), "drawlume-e2e", sizeof(create.phys) - 1);
    create.rd_size = static_cast<uint16_t>(descriptor_.size());
    create.bus = 0x05;  // BUS_BLUETOOTH
    create.vendor = 0x1d6b;
    create.product = 0x0e2e;
    std::memcpy(create.rd_data, descriptor_.data(),
                std::min(descriptor_.size(), sizeof create.rd_data));
    if (!writeEvent(fd_, event, sizeof(event), error)) {
        destroy();
        return false;
    }
    while (true) {
        pollfd watch{fd_, POLLIN, 0};
        if (poll(&watch, 1, remainingMs(deadline)) == 0) {
            error = "no UHID_START from the kernel in time";
            destroy();
            return false;
        }
        if (read(fd_, &event, sizeof(event)) > 0 && event.type == UHID_START) {
            return waitForCompanionNodes(uniq_, twinCount_, deadline, nodes, error);
        }
    }
}

bool UhidCompanion::send(std::span<const uint8_t> report, std::string& error) {
    const size_t size = std::min(report.size(), sizeof(uhid_input2_req::data));
    if (fd_ < 0) {
        error = "the companion does not exist";
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

bool playScript(const std::string& path, UhidCompanion& companion, std::string& error) {
    const auto play = [&companion](const std::string& line, std::string& lineError) {
        std::istringstream words(line);
        std::string verb;
        std::string file;
        long milliseconds = -1;
        words >> verb;
        bool ok = true;
        if (verb == "sleep" || verb == "wait") {
            ok = (verb == "sleep" || words >> file) && words >> milliseconds && milliseconds >= 0 &&
                 milliseconds <= 600'000;
            lineError =
                verb == "sleep" ? "sleep needs milliseconds" : "wait needs a file and milliseconds";
            if (ok && verb == "sleep") {
                sleepMs(static_cast<int>(milliseconds));
            } else if (ok) {
                ok = pollUntil(afterMs(milliseconds), [&] {
                    companion.drainEvents();
                    return access(file.c_str(), F_OK) == 0;
                });
                lineError = file + " did not appear in time";
            }
        } else if (verb == "touch") {
            ok = words >> file && std::ofstream(file);
            lineError = "touch needs a file it can create";
        } else if (verb == "remove") {
            companion.destroy();
        } else if (verb == "add") {
            CompanionNodes nodes;
            ok = companion.create(afterMs(5000), nodes, lineError);
        } else {
            std::vector<uint8_t> report;
            ok = parseReportLine(line, report, lineError) && companion.send(report, lineError);
        }
        companion.drainEvents();
        return ok;
    };
    return readLines(path, play, error);
}

}  // namespace drawlume::e2e
