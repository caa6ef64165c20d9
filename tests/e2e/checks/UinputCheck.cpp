#include <linux/input.h>

#include "EvdevReader.hpp"
#include "KernelChecks.hpp"
#include "SysfsNodes.hpp"
#include "UinputDevice.hpp"

namespace drawlume::e2e {
namespace {

constexpr int kBudgetMs = 3000;

// The three devices as the agent's sink creates them (see the platform notes).
UinputLayout penLayout() {
    UinputLayout layout;
    layout.name = "Drawlume e2e Pen";
    layout.keys = {BTN_TOOL_PEN, BTN_TOOL_RUBBER, BTN_TOUCH, BTN_STYLUS, BTN_STYLUS2};
    layout.axes = {{ABS_X, 0, 32767, 100, 0},          {ABS_Y, 0, 32767, 100, 0},
                   {ABS_PRESSURE, 0, 4095, 0, 0},      {ABS_TILT_X, -9000, 9000, 5730, 0},
                   {ABS_TILT_Y, -9000, 9000, 5730, 0}, {ABS_Z, 0, 3599, 0, 2700}};
    layout.properties = {INPUT_PROP_DIRECT};
    return layout;
}

UinputLayout pointerLayout() {
    UinputLayout layout;
    layout.name = "Drawlume e2e Pointer";
    layout.keys = {BTN_LEFT, BTN_RIGHT, BTN_MIDDLE};
    layout.relatives = {REL_WHEEL, REL_HWHEEL, REL_WHEEL_HI_RES, REL_HWHEEL_HI_RES};
    layout.axes = {{ABS_X, 0, 32767, 0, 0}, {ABS_Y, 0, 32767, 0, 0}};
    return layout;
}

UinputLayout keyboardLayout() {
    UinputLayout layout;
    layout.name = "Drawlume e2e Keyboard";
    // KEY_ESC through KEY_KPDOT covers the letters, digits, modifiers and keypad; the
    // rest are the navigation and function keys of the key table.
    for (uint16_t key = KEY_ESC; key <= KEY_KPDOT; ++key) {
        layout.keys.push_back(key);
    }
    layout.keys.insert(layout.keys.end(),
                       {KEY_102ND,   KEY_F11,      KEY_F12,     KEY_KPENTER,  KEY_RIGHTCTRL,
                        KEY_KPSLASH, KEY_RIGHTALT, KEY_HOME,    KEY_UP,       KEY_PAGEUP,
                        KEY_LEFT,    KEY_RIGHT,    KEY_END,     KEY_DOWN,     KEY_PAGEDOWN,
                        KEY_INSERT,  KEY_DELETE,   KEY_KPEQUAL, KEY_LEFTMETA, KEY_RIGHTMETA});
    return layout;
}

// What is written, and what a reader must get back: the input core drops values that
// do not change (the zero pressure and the initial rotation of the proximity frame).
struct WriteAndRead {
    const char* written;
    const char* read;
};

bool exercise(const UinputLayout& layout, const std::vector<WriteAndRead>& frames,
              std::string& reason) {
    UinputDevice device;
    if (!device.create(layout, reason)) {
        return false;
    }
    const Deadline deadline = Deadline::afterMs(kBudgetMs);
    std::string node;
    if (!waitForEventNode(device.sysPath(), deadline, node, reason)) {
        return false;
    }
    EvdevReader reader;
    if (!reader.open(node, reason)) {
        return false;
    }
    std::vector<Frame> expected;
    for (const WriteAndRead& frame : frames) {
        Frame written;
        Frame read;
        if (!parseFrame(frame.written, written, reason) || !parseFrame(frame.read, read, reason) ||
            !device.emit(written, reason)) {
            return false;
        }
        if (!read.events.empty()) {
            expected.push_back(read);
        }
    }
    std::vector<Frame> got;
    const EvdevReader::Status status = reader.readFrames(expected.size(), deadline, got, reason);
    if (!sameFrames(expected, got, reason)) {
        reason = layout.name + ": " + reason + " (read: " + statusName(status) + ")";
        return false;
    }
    return true;
}

bool checkPen(std::string& reason) {
    return exercise(
        penLayout(),
        {{"ABS_X=1000 ABS_Y=2000 ABS_PRESSURE=0 ABS_TILT_X=900 ABS_TILT_Y=-900 ABS_Z=2700 "
          "BTN_TOOL_PEN=1",
          "ABS_X=1000 ABS_Y=2000 ABS_TILT_X=900 ABS_TILT_Y=-900 BTN_TOOL_PEN=1"},
         {"BTN_TOUCH=1 ABS_PRESSURE=2048 ABS_X=1010", "BTN_TOUCH=1 ABS_PRESSURE=2048 ABS_X=1010"},
         {"ABS_X=1020 ABS_Y=2010 ABS_PRESSURE=3000", "ABS_X=1020 ABS_Y=2010 ABS_PRESSURE=3000"},
         {"BTN_TOUCH=0 ABS_PRESSURE=0", "BTN_TOUCH=0 ABS_PRESSURE=0"},
         {"BTN_STYLUS2=1", "BTN_STYLUS2=1"},
         {"BTN_STYLUS2=0", "BTN_STYLUS2=0"},
         {"BTN_TOOL_PEN=0", "BTN_TOOL_PEN=0"},
         {"ABS_TILT_X=0 ABS_TILT_Y=0 ABS_Z=900 BTN_TOOL_RUBBER=1",
          "ABS_TILT_X=0 ABS_TILT_Y=0 ABS_Z=900 BTN_TOOL_RUBBER=1"},
         {"BTN_TOOL_RUBBER=0", "BTN_TOOL_RUBBER=0"}},
        reason);
}

bool checkPointer(std::string& reason) {
    return exercise(
        pointerLayout(),
        {{"ABS_X=16000 ABS_Y=8000", "ABS_X=16000 ABS_Y=8000"},
         {"BTN_LEFT=1", "BTN_LEFT=1"},
         {"ABS_X=16100", "ABS_X=16100"},
         {"BTN_LEFT=0", "BTN_LEFT=0"},
         {"BTN_RIGHT=1", "BTN_RIGHT=1"},
         {"BTN_RIGHT=0", "BTN_RIGHT=0"},
         {"BTN_MIDDLE=1", "BTN_MIDDLE=1"},
         {"BTN_MIDDLE=0", "BTN_MIDDLE=0"},
         {"REL_WHEEL=1 REL_WHEEL_HI_RES=120", "REL_WHEEL=1 REL_WHEEL_HI_RES=120"},
         {"REL_HWHEEL=-1 REL_HWHEEL_HI_RES=-120", "REL_HWHEEL=-1 REL_HWHEEL_HI_RES=-120"}},
        reason);
}

bool checkKeyboard(std::string& reason) {
    return exercise(keyboardLayout(),
                    {{"KEY_LEFTSHIFT=1", "KEY_LEFTSHIFT=1"},
                     {"KEY_A=1", "KEY_A=1"},
                     {"KEY_A=0", "KEY_A=0"},
                     {"KEY_LEFTSHIFT=0", "KEY_LEFTSHIFT=0"}},
                    reason);
}

// The agent's "nothing stays held" checks ask the kernel which keys and buttons a
// device holds (EVIOCGKEY): a reader cannot see the releases the kernel sends when a
// device goes away, since a removed node answers ENODEV before its queue is read.
bool checkHeldKeysQuery(std::string& reason) {
    UinputDevice device;
    if (!device.create(keyboardLayout(), reason)) {
        return false;
    }
    const Deadline deadline = Deadline::afterMs(kBudgetMs);
    std::string node;
    if (!waitForEventNode(device.sysPath(), deadline, node, reason)) {
        return false;
    }
    EvdevReader reader;
    Frame press;
    Frame release;
    if (!reader.open(node, reason) || !parseFrame("KEY_B=1 KEY_LEFTCTRL=1", press, reason) ||
        !parseFrame("KEY_B=0", release, reason) || !device.emit(press, reason)) {
        return false;
    }
    std::vector<uint16_t> held;
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

void runUinputCheck(CheckReporter& reporter, const KernelCheckContext& /*context*/) {
    reporter.run("kernel.uinput_pen_frames_read_back", checkPen);
    reporter.run("kernel.uinput_pointer_frames_read_back", checkPointer);
    reporter.run("kernel.uinput_keyboard_frames_read_back", checkKeyboard);
    reporter.run("kernel.uinput_held_keys_query", checkHeldKeysQuery);
}

}  // namespace drawlume::e2e
