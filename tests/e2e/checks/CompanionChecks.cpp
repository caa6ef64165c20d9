#include <fstream>
#include <iterator>
#include <memory>

#include "CompanionReports.hpp"
#include "EvdevReader.hpp"
#include "HidrawReader.hpp"
#include "KernelChecks.hpp"
#include "SysfsNodes.hpp"

namespace drawlume::e2e {
namespace {

constexpr int kNodeBudgetMs = 5000;
constexpr int kReadBudgetMs = 2000;
constexpr int kQuietMs = 100;

std::string hexBytes(const std::vector<uint8_t>& bytes) {
    static const char* digits = "0123456789abcdef";
    std::string text;
    for (const uint8_t byte : bytes) {
        text += text.empty() ? "" : " ";
        text += digits[byte >> 4];
        text += digits[byte & 0xf];
    }
    return text;
}

std::vector<uint8_t> readBinaryFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool checkAppears(const KernelCheckContext& context, UhidCompanion& companion,
                  CompanionNodes& nodes, std::string& reason) {
    const UhidCompanion::Identity identity;
    if (!createCompanion(companion, identity, context.descriptor, Deadline::afterMs(kNodeBudgetMs),
                         nodes, reason)) {
        return false;
    }
    const std::string uevent = nodes.hidPath + "/uevent";
    const std::string hidId = ueventValue(uevent, "HID_ID");
    if (hidId.rfind("0005:", 0) != 0) {
        reason = "HID_ID " + hidId + " is not on the Bluetooth bus (0005)";
        return false;
    }
    if (ueventValue(uevent, "HID_NAME") != identity.name) {
        reason = "HID_NAME is '" + ueventValue(uevent, "HID_NAME") + "'";
        return false;
    }
    // The agent matches by reading this file (libudev's attribute stops at a NUL).
    if (readBinaryFile(nodes.hidPath + "/report_descriptor") != context.descriptor) {
        reason = "report_descriptor in sysfs differs from the descriptor created";
        return false;
    }
    for (const char* suffix : {"Mouse", "Keyboard", "Stylus"}) {
        if (nodes.twin(suffix) == nullptr) {
            reason = std::string("no twin named '... ") + suffix + "'";
            return false;
        }
    }
    return true;
}

bool checkHidrawByteExact(UhidCompanion& companion, const CompanionNodes& nodes,
                          std::string& reason) {
    HidrawReader hidraw;
    if (!hidraw.open(nodes.hidraw, reason)) {
        return false;
    }
    std::vector<std::vector<uint8_t>> reports;
    PenState pen{true, true, false, false, true, 32767, 1, 32767, -90, 90, 359};
    const auto penBytes = penReport(pen);
    reports.emplace_back(penBytes.begin(), penBytes.end());
    pen = PenState{false, false, true, true, true, 0x1234, 0x5678, 0x0102, 1, -1, 0};
    const auto eraserBytes = penReport(pen);
    reports.emplace_back(eraserBytes.begin(), eraserBytes.end());
    const auto mouseBytes = mouseReport({true, true, true, -127, 127, -1, 1});
    reports.emplace_back(mouseBytes.begin(), mouseBytes.end());
    const auto keyBytes = keyboardReport(0xff, {0x04, 0x05, 0x06, 0x07, 0x08, 0x65});
    reports.emplace_back(keyBytes.begin(), keyBytes.end());
    for (const auto& report : reports) {
        if (!companion.send(report, reason)) {
            return false;
        }
    }
    for (const auto& report : reports) {
        std::vector<uint8_t> got;
        if (!hidraw.readReport(Deadline::afterMs(kReadBudgetMs), got, reason)) {
            return false;
        }
        if (got != report) {
            reason = "sent " + hexBytes(report) + ", hidraw read " + hexBytes(got);
            return false;
        }
    }
    std::vector<uint8_t> extra;
    std::string ignored;
    if (hidraw.readReport(Deadline::afterMs(kQuietMs), extra, ignored)) {
        reason = "hidraw delivered an extra report: " + hexBytes(extra);
        return false;
    }
    return true;
}

// Plays a companion script on a new companion and compares what hid-input delivers
// on one twin: a new device, because the input core remembers every value and only
// reports changes.
bool checkTwinFrames(const KernelCheckContext& context, const std::string& uniq,
                     const std::string& script, const std::string& twinSuffix,
                     std::string& reason) {
    std::vector<ScriptStep> steps;
    std::vector<Frame> expected;
    if (!readScriptFile(context.scriptPath(script), steps, reason) ||
        !readFramesFile(context.twinFramesPath(script), expected, reason)) {
        return false;
    }
    UhidCompanion companion;
    CompanionNodes nodes;
    UhidCompanion::Identity identity;
    identity.uniq = uniq;
    EvdevReader reader;
    if (!createCompanion(companion, identity, context.descriptor, Deadline::afterMs(kNodeBudgetMs),
                         nodes, reason) ||
        !reader.open(nodes.twin(twinSuffix)->devNode, reason)) {
        return false;
    }
    std::vector<Frame> frames;
    std::string readError;
    bool readFailed = false;
    // The twin's buffer holds a few dozen events: drain it after every report (uhid
    // delivers synchronously, so the frames are there when the write returns).
    const auto drain = [&] {
        if (reader.readUntilQuiet(0, Deadline::afterMs(kReadBudgetMs), frames, readError) !=
            EvdevReader::Status::Complete) {
            readFailed = true;
        }
    };
    if (!playScript(companion, steps, {drain, {}}, reason)) {
        return false;
    }
    if (reader.readUntilQuiet(kQuietMs, Deadline::afterMs(kReadBudgetMs), frames, readError) !=
            EvdevReader::Status::Complete ||
        readFailed) {
        reason = "reading " + reader.node() + ": " + readError;
        return false;
    }
    if (!sameFrames(expected, frames, reason)) {
        reason = twinSuffix + " twin, " + script + ": " + reason;
        return false;
    }
    return true;
}

// Reads a twin until it goes away; true when the device was removed in time.
bool readUntilRemoved(EvdevReader& reader, std::string& reason) {
    std::vector<Frame> frames;
    const EvdevReader::Status status =
        reader.readFrames(1000, Deadline::afterMs(kReadBudgetMs), frames, reason);
    if (status != EvdevReader::Status::Removed) {
        reason = reader.node() + " not removed: " + statusName(status);
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
    HidrawReader hidraw;
    if (!keyboard.open(nodes.twin("Keyboard")->devNode, reason) ||
        !stylus.open(nodes.twin("Stylus")->devNode, reason) || !hidraw.open(nodes.hidraw, reason)) {
        return false;
    }
    const auto keyDown = keyboardReport(0x02, {0x04});
    const auto penDown = penReport({true, false, false, false, true, 100, 100, 2000, 0, 0, 0});
    if (!companion.send(keyDown.data(), keyDown.size(), reason) ||
        !companion.send(penDown.data(), penDown.size(), reason)) {
        return false;
    }
    std::vector<std::string> devNodes{nodes.hidraw};
    for (const InputNode& twin : nodes.twins) {
        devNodes.push_back(twin.devNode);
    }
    companion.destroy();
    if (!readUntilRemoved(keyboard, reason) || !readUntilRemoved(stylus, reason) ||
        !hidraw.waitForHangUp(Deadline::afterMs(kReadBudgetMs), reason) ||
        !waitForCompanionGone(companion.identity().uniq, devNodes, Deadline::afterMs(kNodeBudgetMs),
                              reason)) {
        return false;
    }

    const Deadline deadline = Deadline::afterMs(kNodeBudgetMs);
    if (!companion.recreate(deadline, reason) ||
        !waitForCompanionNodes(companion.identity().uniq, kCompanionTwinCount, deadline, nodes,
                               reason)) {
        reason = "re-add: " + reason;
        return false;
    }
    EvdevReader newStylus;
    EvdevReader newKeyboard;
    std::vector<uint16_t> held;
    if (!newStylus.open(nodes.twin("Stylus")->devNode, reason) ||
        !newKeyboard.open(nodes.twin("Keyboard")->devNode, reason) ||
        !newKeyboard.heldKeys(held, reason)) {
        return false;
    }
    if (!held.empty()) {
        reason = "the re-added keyboard twin holds " + describeKeys(held);
        return false;
    }
    const auto hover = penReport({false, false, false, false, true, 300, 400, 0, 0, 0, 0});
    std::vector<Frame> frames;
    if (!companion.send(hover.data(), hover.size(), reason) ||
        newStylus.readFrames(1, Deadline::afterMs(kReadBudgetMs), frames, reason) !=
            EvdevReader::Status::Complete) {
        reason = "re-added stylus twin delivered nothing: " + reason;
        return false;
    }
    return true;
}

}  // namespace

void runCompanionChecks(CheckReporter& reporter, const KernelCheckContext& context) {
    UhidCompanion companion;
    CompanionNodes nodes;
    bool appeared = false;
    reporter.run("kernel.companion_appears_with_hidraw_and_twins", [&](std::string& reason) {
        appeared = checkAppears(context, companion, nodes, reason);
        return appeared;
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
    const struct {
        const char* script;
        const char* twin;
    } twinScripts[] = {
        {"pen-stroke", "Stylus"}, {"pen-barrel", "Stylus"}, {"pen-eraser", "Stylus"},
        {"mouse", "Mouse"},       {"typing", "Keyboard"},
    };
    int index = 0;
    for (const auto& entry : twinScripts) {
        const std::string uniq = "aa:bb:cc:dd:ee:3" + std::to_string(index++);
        reporter.run(std::string("kernel.twin_frames.") + entry.script, [&](std::string& reason) {
            return checkTwinFrames(context, uniq, entry.script, entry.twin, reason);
        });
    }
    needsCompanion("kernel.companion_removal_and_readd", [&](std::string& reason) {
        return checkRemovalAndReadd(companion, nodes, reason);
    });
}

}  // namespace drawlume::e2e
