#include <cerrno>
#include <memory>

#include "CompanionReports.hpp"
#include "EvdevReader.hpp"
#include "HidrawReader.hpp"
#include "KernelChecks.hpp"

namespace drawlume::e2e {
namespace {

constexpr int kBudgetMs = 3000;

using Readers = std::vector<std::unique_ptr<EvdevReader>>;

bool openAll(const CompanionNodes& nodes, Readers& readers, std::string& reason) {
    for (const InputNode& twin : nodes.twins) {
        readers.push_back(std::make_unique<EvdevReader>());
        if (!readers.back()->open(twin.devNode, reason)) {
            return false;
        }
    }
    return true;
}

bool sendAll(UhidCompanion& companion, const std::vector<std::vector<uint8_t>>& reports,
             std::string& reason) {
    for (const auto& report : reports) {
        if (!companion.send(report, reason)) {
            return false;
        }
    }
    return true;
}

// One scenario, step by step, each failure named where it happens.
// NOLINTNEXTLINE(readability-function-size)
bool checkGrab(const KernelCheckContext& context, std::string& reason) {
    UhidCompanion companion;
    CompanionNodes nodes;
    UhidCompanion::Identity identity;
    identity.uniq = "aa:bb:cc:dd:ee:02";
    if (!createCompanion(companion, identity, context.descriptor, Deadline::afterMs(kBudgetMs),
                         nodes, reason)) {
        return false;
    }
    Readers holder;
    Readers observers;
    HidrawReader hidraw;
    if (!openAll(nodes, holder, reason) || !openAll(nodes, observers, reason) ||
        !hidraw.open(nodes.hidraw, reason)) {
        return false;
    }
    for (auto& reader : holder) {
        if (const int refused = reader->grab(); refused != 0) {
            reason =
                "EVIOCGRAB on " + reader->node() + " refused, errno " + std::to_string(refused);
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

    const auto pen = penReport({false, false, false, false, true, 1000, 2000, 0, 10, -10, 0});
    const auto mouse = mouseReport({false, false, false, 5, -5, 0, 0});
    const auto keyDown = keyboardReport(0, {0x04});
    const auto keyUp = keyboardReport(0, {});
    std::vector<std::vector<uint8_t>> reports{{pen.begin(), pen.end()},
                                              {mouse.begin(), mouse.end()},
                                              {keyDown.begin(), keyDown.end()},
                                              {keyUp.begin(), keyUp.end()}};
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
        if (!hidraw.readReport(Deadline::afterMs(kBudgetMs), got, reason) || got != report) {
            reason = "hidraw lost a report while the twins were grabbed: " + reason;
            return false;
        }
    }

    // Closing the holder's descriptors releases the grab: the others hear again (the
    // pen moves, since the input core drops values that do not change).
    holder.clear();
    const auto moved = penReport({false, false, false, false, true, 1001, 2001, 0, 10, -10, 0});
    reports[0].assign(moved.begin(), moved.end());
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

}  // namespace

void runGrabCheck(CheckReporter& reporter, const KernelCheckContext& context) {
    reporter.run("kernel.grab_silences_twins_not_hidraw",
                 [&](std::string& reason) { return checkGrab(context, reason); });
}

}  // namespace drawlume::e2e
