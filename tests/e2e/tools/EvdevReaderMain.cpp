// e2e_evdev_reader: reads frames from one evdev node and prints them, one a line, or
// compares them with expected frames. The node is found by name or as a twin of a
// companion, never by number. Every read is bounded by the time-out.
//
//   e2e_evdev_reader (--node DEV | --name NAME [--virtual] | --companion UNIQ --twin SUFFIX)
//                    [--grab] [--ready FILE] [--frames N | --quiet-ms MS] [--timeout-ms MS]
//                    [--expect FILE [--in-order]] [--keep-msc] [--keep-repeats]
//   e2e_evdev_reader (...node...) --nothing-held
// --in-order: each expected frame must be contained in its own frame read, in order,
// with other frames allowed between (for devices whose frame boundaries are the
// writer's choice). --nothing-held: exit 0 when the device holds no key or button
// down (EVIOCGKEY), 1 and the held codes otherwise; reads no frames.
// Exit status: 0 read (and matched), 1 mismatch or read failure, 2 usage or node not found.

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "EvdevReader.hpp"
#include "SysfsNodes.hpp"

using namespace drawlume::e2e;

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: e2e_evdev_reader (--node DEV | --name NAME [--virtual] | --companion "
                 "UNIQ --twin SUFFIX) [--grab] [--ready FILE] [--frames N | --quiet-ms MS] "
                 "[--timeout-ms MS] [--expect FILE [--in-order]] [--nothing-held] "
                 "[--keep-msc] [--keep-repeats]\n");
    return 2;
}

struct Options {
    std::string node;
    std::string name;
    bool virtualOnly = false;
    std::string companion;
    std::string twin;
    bool grab = false;
    std::string ready;
    long frames = 0;
    long quietMs = 500;
    long timeoutMs = 10000;
    std::string expect;
    bool inOrder = false;
    bool nothingHeld = false;
    EvdevReader::Filter filter;
};

bool parse(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--node" && hasValue) {
            options.node = argv[++i];
        } else if (arg == "--name" && hasValue) {
            options.name = argv[++i];
        } else if (arg == "--virtual") {
            options.virtualOnly = true;
        } else if (arg == "--companion" && hasValue) {
            options.companion = argv[++i];
        } else if (arg == "--twin" && hasValue) {
            options.twin = argv[++i];
        } else if (arg == "--grab") {
            options.grab = true;
        } else if (arg == "--ready" && hasValue) {
            options.ready = argv[++i];
        } else if (arg == "--frames" && hasValue) {
            options.frames = std::strtol(argv[++i], nullptr, 10);
        } else if (arg == "--quiet-ms" && hasValue) {
            options.quietMs = std::strtol(argv[++i], nullptr, 10);
        } else if (arg == "--timeout-ms" && hasValue) {
            options.timeoutMs = std::strtol(argv[++i], nullptr, 10);
        } else if (arg == "--expect" && hasValue) {
            options.expect = argv[++i];
        } else if (arg == "--in-order") {
            options.inOrder = true;
        } else if (arg == "--nothing-held") {
            options.nothingHeld = true;
        } else if (arg == "--keep-msc") {
            options.filter.keepMsc = true;
        } else if (arg == "--keep-repeats") {
            options.filter.keepRepeats = true;
        } else {
            return false;
        }
    }
    const int sources = static_cast<int>(!options.node.empty()) +
                        static_cast<int>(!options.name.empty()) +
                        static_cast<int>(!options.companion.empty());
    return sources == 1 && options.companion.empty() == options.twin.empty();
}

// Finds the node the options name, waiting for it within the deadline.
bool findNode(const Options& options, const Deadline& deadline, std::string& node,
              std::string& error) {
    if (!options.node.empty()) {
        node = options.node;
        return true;
    }
    if (!options.name.empty()) {
        InputNode input;
        if (!waitForInputDevice(options.name,
                                options.virtualOnly ? onlyUinputDevices() : SysPathFilter(),
                                deadline, input, error)) {
            return false;
        }
        node = input.devNode;
        return true;
    }
    CompanionNodes nodes;
    if (!waitForCompanionNodes(options.companion, 3, deadline, nodes, error)) {
        return false;
    }
    const InputNode* twin = nodes.twin(options.twin);
    if (twin == nullptr) {
        error = "companion " + options.companion + " has no twin named '... " + options.twin + "'";
        return false;
    }
    node = twin->devNode;
    return true;
}

}  // namespace

// The options, then the one run the tool makes, in order.
// NOLINTNEXTLINE(readability-function-size)
int main(int argc, char** argv) {
    Options options;
    if (!parse(argc, argv, options)) {
        return usage();
    }
    std::vector<Frame> expected;
    std::string error;
    if (!options.expect.empty() && !readFramesFile(options.expect, expected, error)) {
        std::fprintf(stderr, "e2e_evdev_reader: %s\n", error.c_str());
        return 2;
    }
    if (!options.expect.empty() && options.frames == 0 && !options.inOrder) {
        options.frames = static_cast<long>(expected.size());
    }

    const Deadline deadline = Deadline::afterMs(options.timeoutMs);
    std::string node;
    EvdevReader reader;
    if (!findNode(options, deadline, node, error) || !reader.open(node, error)) {
        std::fprintf(stderr, "e2e_evdev_reader: %s\n", error.c_str());
        return 2;
    }
    reader.setFilter(options.filter);
    if (options.nothingHeld) {
        std::vector<uint16_t> held;
        if (!reader.heldKeys(held, error)) {
            std::fprintf(stderr, "e2e_evdev_reader: %s\n", error.c_str());
            return 2;
        }
        std::printf("%s holds %s\n", node.c_str(), describeKeys(held).c_str());
        return held.empty() ? 0 : 1;
    }
    if (options.grab) {
        if (const int refused = reader.grab(); refused != 0) {
            std::fprintf(stderr, "e2e_evdev_reader: EVIOCGRAB on %s refused (errno %d)\n",
                         node.c_str(), refused);
            return 1;
        }
    }
    if (!options.ready.empty()) {
        std::ofstream(options.ready) << node << "\n";
    }

    std::vector<Frame> frames;
    const EvdevReader::Status status =
        options.frames > 0
            ? reader.readFrames(static_cast<size_t>(options.frames), deadline, frames, error)
            : reader.readUntilQuiet(static_cast<int>(options.quietMs), deadline, frames, error);
    // A short extra wait catches frames beyond the expected ones.
    if (status == EvdevReader::Status::Complete && options.frames > 0) {
        reader.readUntilQuiet(static_cast<int>(options.quietMs), deadline.capped(options.quietMs),
                              frames, error);
    }
    for (const Frame& frame : frames) {
        std::printf("%s\n", formatFrame(frame).c_str());
    }
    std::fflush(stdout);
    if (!options.expect.empty()) {
        std::string difference;
        const bool matched = options.inOrder ? framesContainInOrder(expected, frames, difference)
                                             : sameFrames(expected, frames, difference);
        if (!matched) {
            std::fprintf(stderr, "e2e_evdev_reader: %s: %s (read: %s)\n", node.c_str(),
                         difference.c_str(), statusName(status));
            return 1;
        }
        return 0;
    }
    if (status != EvdevReader::Status::Complete) {
        std::fprintf(stderr, "e2e_evdev_reader: %s: %s %s\n", node.c_str(), statusName(status),
                     error.c_str());
        return 1;
    }
    return 0;
}
