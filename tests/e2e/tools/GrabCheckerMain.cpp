// e2e_grab_checker: tells whether a companion's evdev twins are held by a grab
// (EVIOCGRAB answers EBUSY) and, with --silent-ms, that a reader of the twins gets
// nothing for that long while reports are being sent.
//
//   e2e_grab_checker --companion UNIQ [--twin SUFFIX] --expect held|free [--silent-ms MS]
//                    [--opened-by PID] [--twins N] [--timeout-ms MS]
// --twins: how many evdev twins the device has (3, the companion's, by default).
// --twin limits the check to the twin whose name ends in SUFFIX (Mouse, Keyboard, Stylus).
// --opened-by first waits (within the time-out) until process PID holds the companion's
// hidraw node and the checked twins open: probing with EVIOCGRAB while that process is
// still starting could take the grab from under it.
// Exit status: 0 as expected, 1 not as expected, 2 usage or companion not found.

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "EvdevReader.hpp"
#include "OpenNodes.hpp"
#include "ScriptPlayer.hpp"
#include "SysfsNodes.hpp"

using namespace drawlume::e2e;

namespace {

constexpr int kGrabSettleMs = 100;

int usage() {
    std::fprintf(stderr,
                 "usage: e2e_grab_checker --companion UNIQ [--twin SUFFIX] --expect "
                 "held|free [--silent-ms MS] [--opened-by PID] [--twins N] [--timeout-ms MS]\n");
    return 2;
}

}  // namespace

// The options, then the one run the tool makes, in order.
// NOLINTNEXTLINE(readability-function-size)
int main(int argc, char** argv) {
    std::string uniq;
    std::string expect;
    std::string only;
    long silentMs = 0;
    long openedBy = 0;
    long timeoutMs = 5000;
    size_t twinCount = kCompanionTwinCount;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--companion" && hasValue) {
            uniq = argv[++i];
        } else if (arg == "--twin" && hasValue) {
            only = argv[++i];
        } else if (arg == "--expect" && hasValue) {
            expect = argv[++i];
        } else if (arg == "--silent-ms" && hasValue) {
            silentMs = std::strtol(argv[++i], nullptr, 10);
        } else if (arg == "--opened-by" && hasValue) {
            openedBy = std::strtol(argv[++i], nullptr, 10);
        } else if (arg == "--timeout-ms" && hasValue) {
            timeoutMs = std::strtol(argv[++i], nullptr, 10);
        } else if (arg == "--twins" && hasValue) {
            twinCount = std::strtoul(argv[++i], nullptr, 10);
        } else {
            return usage();
        }
    }
    if (uniq.empty() || (expect != "held" && expect != "free") || openedBy < 0) {
        return usage();
    }

    std::string error;
    CompanionNodes nodes;
    const Deadline deadline = Deadline::afterMs(timeoutMs);
    if (!waitForCompanionNodes(uniq, twinCount, deadline, nodes, error)) {
        std::fprintf(stderr, "e2e_grab_checker: %s\n", error.c_str());
        return 2;
    }
    if (openedBy > 0) {
        std::vector<std::string> opened{nodes.hidraw};
        for (const InputNode& twin : nodes.twins) {
            if (only.empty() || nodes.twin(only) == &twin) {
                opened.push_back(twin.devNode);
            }
        }
        if (!waitUntilHeldOpen(static_cast<pid_t>(openedBy), opened, deadline, error)) {
            std::printf("%s\n", error.c_str());
            return 1;
        }
        // Each node is grabbed right after it is opened.
        sleepMs(kGrabSettleMs);
    }
    bool asExpected = true;
    std::vector<std::unique_ptr<EvdevReader>> observers;
    for (const InputNode& twin : nodes.twins) {
        if (!only.empty() && nodes.twin(only) != &twin) {
            continue;
        }
        auto reader = std::make_unique<EvdevReader>();
        if (!reader->open(twin.devNode, error)) {
            std::fprintf(stderr, "e2e_grab_checker: %s\n", error.c_str());
            return 2;
        }
        const int refused = reader->grab();
        const bool held = refused == EBUSY;
        if (refused == 0) {
            reader->ungrab();
        }
        std::printf("%s (%s): %s\n", twin.name.c_str(), twin.devNode.c_str(),
                    held ? "held" : (refused == 0 ? "free" : "grab failed"));
        asExpected = asExpected && (held == (expect == "held")) && (held || refused == 0);
        observers.push_back(std::move(reader));
    }
    if (silentMs > 0) {
        // Whatever the twins deliver meanwhile stays queued for each observer.
        sleepMs(static_cast<int>(silentMs));
        for (auto& observer : observers) {
            std::vector<Frame> frames;
            const EvdevReader::Status status =
                observer->readUntilQuiet(0, Deadline::afterMs(1000), frames, error);
            if (!frames.empty() || status == EvdevReader::Status::Overflow) {
                std::printf("%s delivered %zu frames to another reader%s%s\n",
                            observer->node().c_str(), frames.size(),
                            frames.empty() ? "" : ", the first: ",
                            frames.empty() ? "" : formatFrame(frames.front()).c_str());
                asExpected = false;
            }
        }
    }
    std::fflush(stdout);
    return asExpected ? 0 : 1;
}
