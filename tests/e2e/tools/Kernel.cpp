// e2e kernel --descriptor FILE
// What the agent relies on in the kernel, checked on a real one without the agent:
// uhid, hidraw, hid-input's twins, grabs, uinput.

#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>

#include <fcntl.h>
#include <linux/uinput.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "Companion.hpp"
#include "Evdev.hpp"
#include "Tool.hpp"

namespace drawlume::e2e {
namespace {

constexpr int kBudgetMs = 3000;

using Reports = std::vector<std::vector<uint8_t>>;
using Readers = std::vector<std::unique_ptr<EvdevReader>>;

// A file descriptor that closes itself.
struct Fd {
    explicit Fd(int value) : fd(value) {}
    ~Fd() {
        if (fd >= 0) {
            close(fd);
        }
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int fd;
};

std::string hexBytes(const std::vector<uint8_t>& bytes) {
    std::string text;
    for (const uint8_t byte : bytes) {
        char digits[4];
        std::snprintf(digits, sizeof digits, "%02x", byte);
        text += (text.empty() ? "" : " ") + std::string(digits);
    }
    return text;
}

// The next report on a hidraw node; or, with `hangUp`, whether the node reports the
// device gone (POLLHUP/POLLERR, or EIO/ENODEV on read) in time.
bool readHidraw(int fd, int budgetMs, std::vector<uint8_t>& report, bool hangUp = false) {
    const Deadline deadline = Deadline::afterMs(budgetMs);
    while (!deadline.expired()) {
        pollfd watch{fd, POLLIN, 0};
        if (poll(&watch, 1, deadline.remainingMs()) > 0 && hangUp &&
            (watch.revents & (POLLHUP | POLLERR)) != 0) {
            return true;
        }
        std::vector<uint8_t> buffer(4096);
        const ssize_t got = read(fd, buffer.data(), buffer.size());
        if (hangUp ? got < 0 && (errno == EIO || errno == ENODEV) : got > 0) {
            report.assign(buffer.begin(), buffer.begin() + std::max<ssize_t>(got, 0));
            return true;
        }
    }
    return false;
}

bool sendAll(UhidCompanion& companion, const Reports& reports, std::string& reason) {
    for (const auto& report : reports) {
        if (!companion.send(report, reason)) {
            return false;
        }
    }
    return true;
}

bool openAll(const CompanionNodes& nodes, Readers& readers, std::string& reason) {
    for (const InputNode& twin : nodes.twins) {
        readers.push_back(std::make_unique<EvdevReader>());
        if (!readers.back()->open(twin.devNode, reason)) {
            return false;
        }
    }
    return true;
}

bool checkAppears(const std::vector<uint8_t>& descriptor, UhidCompanion& companion,
                  CompanionNodes& nodes, std::string& reason) {
    const UhidCompanion::Identity identity;
    if (!createCompanion(companion, identity, descriptor, Deadline::afterMs(5000), nodes, reason)) {
        return false;
    }
    const std::string uevent = nodes.hidPath + "/uevent";
    // The agent matches by reading report_descriptor (libudev's attribute stops at a NUL).
    std::ifstream in(nodes.hidPath + "/report_descriptor", std::ios::binary);
    const std::vector<uint8_t> inSysfs{std::istreambuf_iterator<char>(in), {}};
    if (ueventValue(uevent, "HID_ID").rfind("0005:", 0) != 0) {
        reason = "HID_ID " + ueventValue(uevent, "HID_ID") + " is not on the Bluetooth bus (0005)";
    } else if (ueventValue(uevent, "HID_NAME") != identity.name) {
        reason = "HID_NAME is '" + ueventValue(uevent, "HID_NAME") + "'";
    } else if (inSysfs != descriptor) {
        reason = "report_descriptor in sysfs differs from the descriptor created";
    }
    for (const char* suffix : {"Mouse", "Keyboard", "Stylus"}) {
        if (reason.empty() && nodes.twin(suffix) == nullptr) {
            reason = std::string("no twin named '... ") + suffix + "'";
        }
    }
    return reason.empty();
}

bool checkHidrawByteExact(UhidCompanion& companion, const CompanionNodes& nodes,
                          std::string& reason) {
    const Fd hidraw(open(nodes.hidraw.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    const Reports reports{
        penReport({true, true, false, false, true, 32767, 1, 32767, -90, 90, 359}),
        penReport({false, false, true, true, true, 0x1234, 0x5678, 0x0102, 1, -1, 0}),
        mouseReport({true, true, true, -127, 127, -1, 1}),
        keyboardReport(0xff, {0x04, 0x05, 0x06, 0x07, 0x08, 0x65})};
    if (hidraw.fd < 0 || !sendAll(companion, reports, reason)) {
        reason = hidraw.fd < 0 ? sysError("open " + nodes.hidraw) : reason;
        return false;
    }
    for (const auto& report : reports) {
        std::vector<uint8_t> got;
        if (!readHidraw(hidraw.fd, 2000, got) || got != report) {
            reason = "sent " + hexBytes(report) + ", hidraw read " + hexBytes(got);
            return false;
        }
    }
    std::vector<uint8_t> extra;
    if (readHidraw(hidraw.fd, 100, extra)) {
        reason = "hidraw delivered an extra report: " + hexBytes(extra);
        return false;
    }
    return true;
}

// The companion vanishes with a key held and the pen touching: readers of its twins
// get ENODEV, hidraw readers the hang-up, every node goes away. Created again, it
// gets new nodes (found through the new hid device) that hold nothing and deliver.
bool checkRemovalAndReadd(UhidCompanion& companion, CompanionNodes& nodes, std::string& reason) {
    EvdevReader keyboard;
    EvdevReader stylus;
    const Fd hidraw(open(nodes.hidraw.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!keyboard.open(nodes.twin("Keyboard")->devNode, reason) ||
        !stylus.open(nodes.twin("Stylus")->devNode, reason) || hidraw.fd < 0 ||
        !sendAll(companion,
                 {keyboardReport(0x02, {0x04}),
                  penReport({true, false, false, false, true, 100, 100, 2000, 0, 0, 0})},
                 reason)) {
        return false;
    }
    std::vector<std::string> devNodes{nodes.hidraw};
    for (const InputNode& twin : nodes.twins) {
        devNodes.push_back(twin.devNode);
    }
    companion.destroy();
    for (EvdevReader* reader : {&keyboard, &stylus}) {
        std::vector<Frame> frames;
        const auto status = reader->readFrames(1000, Deadline::afterMs(2000), frames, reason);
        if (status != EvdevReader::Status::Removed) {
            reason = reader->node() + " not removed: " + statusName(status);
            return false;
        }
    }
    std::vector<uint8_t> ignored;
    if (!readHidraw(hidraw.fd, 2000, ignored, true)) {
        reason = nodes.hidraw + " did not hang up in time";
        return false;
    }
    if (!waitForCompanionGone(companion.identity().uniq, devNodes, Deadline::afterMs(5000),
                              reason)) {
        return false;
    }
    const Deadline deadline = Deadline::afterMs(5000);
    if (!companion.recreate(deadline, reason) ||
        !waitForCompanionNodes(companion.identity().uniq, kCompanionTwinCount, deadline, nodes,
                               reason)) {
        return false;
    }
    EvdevReader newStylus;
    EvdevReader newKeyboard;
    std::vector<uint16_t> held;
    if (!newStylus.open(nodes.twin("Stylus")->devNode, reason) ||
        !newKeyboard.open(nodes.twin("Keyboard")->devNode, reason) ||
        !newKeyboard.heldKeys(held, reason) || !held.empty()) {
        reason = held.empty() ? reason : "the re-added keyboard twin holds " + describeKeys(held);
        return false;
    }
    std::vector<Frame> frames;
    if (!companion.send(penReport({false, false, false, false, true, 300, 400, 0, 0, 0, 0}),
                        reason) ||
        newStylus.readFrames(1, Deadline::afterMs(2000), frames, reason) !=
            EvdevReader::Status::Complete) {
        reason = "re-added stylus twin delivered nothing: " + reason;
        return false;
    }
    return true;
}

// One scenario, step by step, each failure named where it happens.
// NOLINTNEXTLINE(readability-function-size)
bool checkGrab(const std::vector<uint8_t>& descriptor, std::string& reason) {
    UhidCompanion companion;
    CompanionNodes nodes;
    Readers holder;
    Readers observers;
    if (!createCompanion(companion, {.uniq = "aa:bb:cc:dd:ee:02"}, descriptor,
                         Deadline::afterMs(kBudgetMs), nodes, reason) ||
        !openAll(nodes, holder, reason) || !openAll(nodes, observers, reason)) {
        return false;
    }
    const Fd hidraw(open(nodes.hidraw.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    for (auto& reader : holder) {
        if (const int refused = reader->grab(); refused != 0) {
            reason = "EVIOCGRAB on " + reader->node() + " refused: " + std::strerror(refused);
            return false;
        }
    }
    for (auto& reader : observers) {
        if (const int refused = reader->grab(); refused != EBUSY) {
            reason = "a second EVIOCGRAB on " + reader->node() + " gave errno " +
                     std::to_string(refused) + ", not EBUSY";
            return false;
        }
    }
    Reports reports{penReport({false, false, false, false, true, 1000, 2000, 0, 10, -10, 0}),
                    mouseReport({false, false, false, 5, -5, 0, 0}), keyboardReport(0, {0x04}),
                    keyboardReport(0, {})};
    if (!sendAll(companion, reports, reason)) {
        return false;
    }
    for (auto& reader : holder) {
        std::vector<Frame> frames;
        if (reader->readFrames(1, Deadline::afterMs(kBudgetMs), frames, reason) !=
            EvdevReader::Status::Complete) {
            reason = "the grab holder got nothing on " + reader->node();
            return false;
        }
    }
    for (auto& reader : observers) {
        std::vector<Frame> frames;
        reader->readUntilQuiet(50, Deadline::afterMs(kBudgetMs), frames, reason);
        if (!frames.empty()) {
            reason = reader->node() + " delivered '" + formatFrame(frames.front()) +
                     "' to a reader while grabbed";
            return false;
        }
    }
    for (const auto& report : reports) {
        std::vector<uint8_t> got;
        if (!readHidraw(hidraw.fd, kBudgetMs, got) || got != report) {
            reason = "hidraw lost a report while the twins were grabbed";
            return false;
        }
    }
    // Closing the holder's descriptors releases the grab: the others hear again (the
    // pen moves, since the input core drops values that do not change).
    holder.clear();
    reports[0] = penReport({false, false, false, false, true, 1001, 2001, 0, 10, -10, 0});
    if (!sendAll(companion, reports, reason)) {
        return false;
    }
    for (auto& reader : observers) {
        std::vector<Frame> frames;
        if (reader->readFrames(1, Deadline::afterMs(kBudgetMs), frames, reason) !=
            EvdevReader::Status::Complete) {
            reason = reader->node() + " still silent after the grab holder closed";
            return false;
        }
    }
    return true;
}

// A device created through /dev/uinput as the agent's sink creates its pen, pointer
// and keyboard, from its capabilities: code names, axes as ABS_NAME:MIN:MAX:RES[:VALUE],
// and "direct" for INPUT_PROP_DIRECT.
class UinputDevice {
public:
    ~UinputDevice() {
        if (fd_.fd >= 0) {
            ioctl(fd_.fd, UI_DEV_DESTROY);
        }
    }

    bool create(const std::string& name, const std::string& capabilities, std::string& error) {
        if (fd_.fd < 0) {
            error = sysError("open /dev/uinput");
            return false;
        }
        std::istringstream words(capabilities);
        bool ok = true;
        for (std::string word; ok && words >> word;) {
            std::istringstream fields(word);
            std::string codeName;
            std::getline(fields, codeName, ':');
            uinput_abs_setup axis{};
            char colon = 0;
            fields >> axis.absinfo.minimum >> colon >> axis.absinfo.maximum >> colon >>
                axis.absinfo.resolution >> colon >> axis.absinfo.value;
            uint16_t type = 0;
            if (codeName == "direct") {
                ok = ioctl(fd_.fd, UI_SET_PROPBIT, INPUT_PROP_DIRECT) == 0;
            } else if (!eventCodeFromName(codeName, type, axis.code)) {
                error = "unknown code " + codeName;
                return false;
            } else {
                const unsigned long bit = type == EV_KEY   ? UI_SET_KEYBIT
                                          : type == EV_REL ? UI_SET_RELBIT
                                                           : UI_SET_ABSBIT;
                ok = ioctl(fd_.fd, UI_SET_EVBIT, type) == 0 && ioctl(fd_.fd, bit, axis.code) == 0 &&
                     (type != EV_ABS || ioctl(fd_.fd, UI_ABS_SETUP, &axis) == 0);
            }
        }
        uinput_setup setup{};
        setup.id = {BUS_VIRTUAL, 0x1d6b, 0x0e2f, 0};
        std::strncpy(setup.name, name.c_str(), UINPUT_MAX_NAME_SIZE - 1);
        std::array<char, 64> sysName{};
        if (!ok || ioctl(fd_.fd, UI_DEV_SETUP, &setup) < 0 || ioctl(fd_.fd, UI_DEV_CREATE) < 0 ||
            ioctl(fd_.fd, UI_GET_SYSNAME(sysName.size()), sysName.data()) < 0) {
            error = sysError("uinput set-up of " + name);
            return false;
        }
        sysPath = std::string("/sys/devices/virtual/input/") + sysName.data();
        return true;
    }

    // Writes the frame's events in their order, then SYN_REPORT.
    bool emit(const Frame& frame, std::string& error) {
        std::vector<input_event> events;
        for (const EventValue& event : frame.events) {
            events.push_back({{}, event.type, event.code, event.value});
        }
        events.push_back({{}, EV_SYN, SYN_REPORT, 0});
        const auto size = static_cast<ssize_t>(events.size() * sizeof(input_event));
        if (write(fd_.fd, events.data(), size) != size) {
            error = sysError("write /dev/uinput");
            return false;
        }
        return true;
    }

    std::string sysPath;

private:
    Fd fd_{open("/dev/uinput", O_WRONLY | O_NONBLOCK | O_CLOEXEC)};
};

// The keyboard: KEY_ESC through KEY_KPDOT (the letters, digits, modifiers and
// keypad), then the navigation and function keys of the key table.
std::string keyboardCapabilities() {
    std::string keys;
    for (uint16_t key = KEY_ESC; key <= KEY_KPDOT; ++key) {
        keys += eventCodeName(EV_KEY, key) + " ";
    }
    return keys +
           "KEY_102ND KEY_F11 KEY_F12 KEY_KPENTER KEY_RIGHTCTRL KEY_KPSLASH KEY_RIGHTALT "
           "KEY_HOME KEY_UP KEY_PAGEUP KEY_LEFT KEY_RIGHT KEY_END KEY_DOWN KEY_PAGEDOWN "
           "KEY_INSERT KEY_DELETE KEY_KPEQUAL KEY_LEFTMETA KEY_RIGHTMETA";
}

// Frames written to a new uinput device, each "written => read": what a reader gets
// back, without the values the input core drops because they do not change (the
// zero pressure and the initial rotation of the proximity frame).
bool checkUinputFrames(const std::string& name, const std::string& capabilities,
                       const std::vector<std::string>& frames, std::string& reason) {
    UinputDevice device;
    EvdevReader reader;
    std::string node;
    const Deadline deadline = Deadline::afterMs(kBudgetMs);
    if (!device.create(name, capabilities, reason) ||
        !waitForEventNode(device.sysPath, deadline, node, reason) || !reader.open(node, reason)) {
        return false;
    }
    std::vector<Frame> expected;
    for (const std::string& line : frames) {
        const size_t arrow = line.find(" => ");
        Frame written;
        Frame read;
        if (!parseFrame(line.substr(0, arrow), written, reason) ||
            !parseFrame(arrow == std::string::npos ? line : line.substr(arrow + 4), read, reason) ||
            !device.emit(written, reason)) {
            return false;
        }
        expected.push_back(read);
    }
    std::vector<Frame> got;
    const EvdevReader::Status status = reader.readFrames(expected.size(), deadline, got, reason);
    if (!sameFrames(expected, got, reason)) {
        reason = name + ": " + reason + " (read: " + statusName(status) + ")";
        return false;
    }
    return true;
}

// The "nothing stays held" checks ask the kernel which keys a device holds
// (EVIOCGKEY): a reader cannot see the releases the kernel sends when a device goes
// away, since a removed node answers ENODEV before its queue is read.
bool checkHeldKeysQuery(std::string& reason) {
    UinputDevice device;
    EvdevReader reader;
    std::string node;
    Frame press;
    Frame release;
    std::vector<uint16_t> held;
    if (!device.create("Drawlume e2e Keyboard", keyboardCapabilities(), reason) ||
        !waitForEventNode(device.sysPath, Deadline::afterMs(kBudgetMs), node, reason) ||
        !reader.open(node, reason) || !parseFrame("KEY_B=1 KEY_LEFTCTRL=1", press, reason) ||
        !parseFrame("KEY_B=0", release, reason) || !device.emit(press, reason)) {
        return false;
    }
    if (!reader.heldKeys(held, reason) || held != std::vector<uint16_t>{KEY_LEFTCTRL, KEY_B}) {
        reason = "after pressing KEY_LEFTCTRL and KEY_B, held: " + describeKeys(held);
        return false;
    }
    if (!device.emit(release, reason) || !reader.heldKeys(held, reason) ||
        held != std::vector<uint16_t>{KEY_LEFTCTRL}) {
        reason = "after releasing KEY_B, held: " + describeKeys(held);
        return false;
    }
    return true;
}

}  // namespace

// The checks in the order they run, most sharing one companion.
// NOLINTNEXTLINE(readability-function-size)
int kernelCommand(int argc, char** argv) {
    const Options options(argc, argv, {"descriptor"});
    std::string error;
    const std::vector<uint8_t> descriptor = readDescriptorFile(options.text("descriptor"), error);
    CheckReporter reporter;
    if (!options.valid() || descriptor.empty()) {
        reporter.fail("kernel.descriptor", error);
        return 1;
    }
    UhidCompanion companion;
    CompanionNodes nodes;
    bool appeared = false;
    reporter.run("kernel.companion_appears_with_hidraw_and_twins", [&](std::string& reason) {
        return appeared = checkAppears(descriptor, companion, nodes, reason);
    });
    const auto needsCompanion = [&](const std::string& name,
                                    const std::function<bool(std::string&)>& check) {
        if (appeared) {
            reporter.run(name, check);
        } else {
            reporter.fail(name, "the companion did not appear");
        }
    };
    needsCompanion("kernel.hidraw_reports_byte_exact", [&](std::string& reason) {
        return checkHidrawByteExact(companion, nodes, reason);
    });
    needsCompanion("kernel.companion_removal_and_readd", [&](std::string& reason) {
        return checkRemovalAndReadd(companion, nodes, reason);
    });
    reporter.run("kernel.grab_silences_twins_not_hidraw",
                 [&](std::string& reason) { return checkGrab(descriptor, reason); });
    reporter.run("kernel.uinput_pen_frames_read_back", [](std::string& reason) {
        return checkUinputFrames(
            "Drawlume e2e Pen",
            "BTN_TOOL_PEN BTN_TOOL_RUBBER BTN_TOUCH BTN_STYLUS BTN_STYLUS2 ABS_X:0:32767:100 "
            "ABS_Y:0:32767:100 ABS_PRESSURE:0:4095:0 ABS_TILT_X:-9000:9000:5730 "
            "ABS_TILT_Y:-9000:9000:5730 ABS_Z:0:3599:0:2700 direct",
            {std::string("ABS_X=1000 ABS_Y=2000 ABS_PRESSURE=0 ABS_TILT_X=900 ABS_TILT_Y=-900 ") +
                 "ABS_Z=2700 BTN_TOOL_PEN=1 => ABS_X=1000 ABS_Y=2000 ABS_TILT_X=900 " +
                 "ABS_TILT_Y=-900 BTN_TOOL_PEN=1",
             "BTN_TOUCH=1 ABS_PRESSURE=2048 ABS_X=1010", "ABS_X=1020 ABS_Y=2010 ABS_PRESSURE=3000",
             "BTN_TOUCH=0 ABS_PRESSURE=0", "BTN_STYLUS2=1", "BTN_STYLUS2=0", "BTN_TOOL_PEN=0",
             "ABS_TILT_X=0 ABS_TILT_Y=0 ABS_Z=900 BTN_TOOL_RUBBER=1", "BTN_TOOL_RUBBER=0"},
            reason);
    });
    reporter.run("kernel.uinput_pointer_frames_read_back", [](std::string& reason) {
        return checkUinputFrames(
            "Drawlume e2e Pointer",
            "BTN_LEFT BTN_RIGHT BTN_MIDDLE REL_WHEEL REL_HWHEEL REL_WHEEL_HI_RES "
            "REL_HWHEEL_HI_RES ABS_X:0:32767:0 ABS_Y:0:32767:0",
            {"ABS_X=16000 ABS_Y=8000", "BTN_LEFT=1", "ABS_X=16100", "BTN_LEFT=0", "BTN_RIGHT=1",
             "BTN_RIGHT=0", "BTN_MIDDLE=1", "BTN_MIDDLE=0", "REL_WHEEL=1 REL_WHEEL_HI_RES=120",
             "REL_HWHEEL=-1 REL_HWHEEL_HI_RES=-120"},
            reason);
    });
    reporter.run("kernel.uinput_keyboard_frames_read_back", [](std::string& reason) {
        return checkUinputFrames("Drawlume e2e Keyboard", keyboardCapabilities(),
                                 {"KEY_LEFTSHIFT=1", "KEY_A=1", "KEY_A=0", "KEY_LEFTSHIFT=0"},
                                 reason);
    });
    reporter.run("kernel.uinput_held_keys_query", checkHeldKeysQuery);
    return reporter.failures() == 0 ? 0 : 1;
}

// The user's own mouse beside the companion: a relative uinput mouse that, once
// told to go, moves DX DY STEPS times and says when the desktop has it all.
int userMouseCommand(int argc, char** argv) {
    const Options options(argc, argv, {"ready", "go", "moved"});
    if (!options.valid() || options.words().size() != 3) {
        std::fprintf(stderr,
                     "usage: e2e user-mouse --ready FILE --go FILE --moved FILE DX DY STEPS\n");
        return 2;
    }
    const auto touch = [](const std::string& path) {
        close(open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
    };
    UinputDevice mouse;
    std::string error;
    if (!mouse.create("E2E User Mouse", "BTN_LEFT BTN_RIGHT BTN_MIDDLE REL_X REL_Y", error)) {
        std::fprintf(stderr, "e2e user-mouse: %s\n", error.c_str());
        return 1;
    }
    touch(options.text("ready"));
    const std::string go = options.text("go");
    if (!pollUntil(Deadline::afterMs(30000), [&go] { return access(go.c_str(), F_OK) == 0; })) {
        std::fprintf(stderr, "e2e user-mouse: %s never came\n", go.c_str());
        return 1;
    }
    Frame motion;
    motion.events = {{EV_REL, REL_X, std::stoi(options.words()[0]), {}},
                     {EV_REL, REL_Y, std::stoi(options.words()[1]), {}}};
    for (int step = std::stoi(options.words()[2]); step > 0; --step) {
        if (!mouse.emit(motion, error)) {
            std::fprintf(stderr, "e2e user-mouse: %s\n", error.c_str());
            return 1;
        }
        sleepMs(10);
    }
    // The compositor reads the last frame before the mouse goes away.
    sleepMs(200);
    touch(options.text("moved"));
    return 0;
}

}  // namespace drawlume::e2e
