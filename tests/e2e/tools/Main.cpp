// e2e: the programs the VM run is built from, as subcommands of one tool.
//
//   e2e companion --descriptor FILE --uniq ADDRESS [--name NAME] [--ready FILE]
//                 [--twins N] [--timeout-ms MS] [SCRIPT...]
//     A simulated companion: created through /dev/uhid, it writes its hid folder to
//     the ready file once its hidraw node and twins (3, or N) are there, plays the
//     scripts and is removed.
//   e2e read --name NAME --expect FILE [--ready FILE] [--quiet-ms MS] [--timeout-ms MS]
//   e2e read --name NAME --nothing-held
//     Reads frames from one uinput device, found by name, until it falls quiet, prints
//     them and compares them with the expected: each expected frame contained in its
//     own frame read, in order, others between.
//     --nothing-held: prints what the device holds down; exit 1 when anything.
//   e2e grab --companion UNIQ --expect held|free [--silent-ms MS]
//            [--opened-by PID] [--twins N] [--timeout-ms MS]
//     Whether the companion's twins are grabbed (EVIOCGRAB answers EBUSY); with
//     --silent-ms, that a reader of them gets nothing for that long; --opened-by first
//     waits until process PID holds the hidraw node and the twins open, as probing
//     the grab while it starts could take it from under it.
//   e2e soak, e2e libinput: see their sources.
// Exit status: 0 as expected, 1 not as expected, 2 usage or nothing to check.

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

#include <linux/input.h>
#include <sys/ioctl.h>

#include "Companion.hpp"
#include "Evdev.hpp"
#include "Tool.hpp"

namespace drawlume::e2e {

Options::Options(int argc, char** argv, const std::set<std::string>& valued,
                 const std::set<std::string>& flags) {
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        const std::string name = arg.rfind("--", 0) == 0 ? arg.substr(2) : "";
        if (name.empty()) {
            words_.push_back(arg);
        } else if (flags.contains(name)) {
            values_[name] = "";
        } else if (valued.count(name) != 0 && i + 1 < argc) {
            values_[name] = argv[++i];
        } else {
            std::fprintf(stderr, "e2e: unknown option or missing value: %s\n", arg.c_str());
            valid_ = false;
        }
    }
}

namespace {

int failed(const std::string& error, int status = 1) {
    std::fprintf(stderr, "e2e: %s\n", error.c_str());
    return status;
}

}  // namespace

int companionCommand(int argc, char** argv) {
    const Options options(argc, argv,
                          {"descriptor", "name", "uniq", "ready", "twins", "timeout-ms"});
    std::string error;
    const std::vector<uint8_t> descriptor = readDescriptorFile(options.text("descriptor"), error);
    if (!options.valid() || descriptor.empty() || options.text("uniq").empty()) {
        return failed("usage: see tools/Main.cpp " + error, 2);
    }
    UhidCompanion companion(options.text("uniq"), descriptor, options.text("name", kCompanionName),
                            options.number("twins", kCompanionTwinCount));
    CompanionNodes nodes;
    if (!companion.create(afterMs(options.number("timeout-ms", 5000)), nodes, error)) {
        return failed(error);
    }
    std::fprintf(stderr, "e2e companion: %s at %s, %s\n", options.text("uniq").c_str(),
                 nodes.hidPath.c_str(), nodes.hidraw.c_str());
    if (!options.text("ready").empty()) {
        std::ofstream(options.text("ready")) << nodes.hidPath << "\n";
    }
    for (const std::string& script : options.words()) {
        if (!playScript(script, companion, error)) {
            return failed(error);
        }
    }
    return 0;
}

// The options, then the one run the subcommand makes, in order.
// NOLINTNEXTLINE(readability-function-size)
int readCommand(int argc, char** argv) {
    const Options options(argc, argv, {"name", "ready", "quiet-ms", "timeout-ms", "expect"},
                          {"nothing-held"});
    const bool heldKeys = options.flag("nothing-held");
    std::vector<Frame> expected;
    std::string error;
    if (!options.valid() || options.text("name").empty() ||
        (!heldKeys && !readLines(
                          options.text("expect"),
                          [&expected](const std::string& line, std::string& lineError) {
                              return parseFrame(line, expected.emplace_back(), lineError);
                          },
                          error))) {
        return failed("usage: see tools/Main.cpp " + error, 2);
    }
    const Deadline deadline = afterMs(options.number("timeout-ms", 10000));
    std::string node;
    EvdevReader reader;
    if (!waitForUinputDevice(options.text("name"), deadline, node, error) ||
        !reader.open(node, error)) {
        return failed(error, 2);
    }
    if (heldKeys) {
        std::array<uint8_t, KEY_MAX / 8 + 1> bits{};
        if (ioctl(reader.fd(), EVIOCGKEY(bits.size()), bits.data()) < 0) {
            return failed(sysError("EVIOCGKEY " + node), 2);
        }
        std::string names;
        for (uint16_t code = 0; code <= KEY_MAX; ++code) {
            if ((bits[code / 8] & (1U << (code % 8))) != 0) {
                names += " " + codeName(EV_KEY, code);
            }
        }
        std::printf("%s holds%s\n", node.c_str(), names.empty() ? " nothing" : names.c_str());
        return names.empty() ? 0 : 1;
    }
    if (!options.text("ready").empty()) {
        std::ofstream(options.text("ready")) << node << "\n";
    }
    std::vector<Frame> frames;
    const bool quiet =
        reader.read(0, static_cast<int>(options.number("quiet-ms", 500)), deadline, frames, error);
    for (const Frame& frame : frames) {
        std::printf("%s\n", formatFrame(frame).c_str());
    }
    std::fflush(stdout);
    std::string difference;
    if (!framesContainInOrder(expected, frames, difference)) {
        return failed(node + ": " + difference + " (read: " + (quiet ? "complete" : error) + ")");
    }
    return 0;
}

// The options, then the one run the subcommand makes, in order.
// NOLINTNEXTLINE(readability-function-size)
int grabCommand(int argc, char** argv) {
    const Options options(argc, argv,
                          {"companion", "expect", "silent-ms", "opened-by", "twins", "timeout-ms"});
    const std::string expect = options.text("expect");
    const long openedBy = options.number("opened-by", 0);
    const long silentMs = options.number("silent-ms", 0);
    if (!options.valid() || options.text("companion").empty() ||
        (expect != "held" && expect != "free") || openedBy < 0) {
        return failed("usage: see tools/Main.cpp", 2);
    }
    std::string error;
    CompanionNodes nodes;
    const Deadline deadline = afterMs(options.number("timeout-ms", 5000));
    if (!waitForCompanionNodes(options.text("companion"),
                               options.number("twins", kCompanionTwinCount), deadline, nodes,
                               error)) {
        return failed(error, 2);
    }
    std::vector<std::string> opened = nodes.twins;
    opened.push_back(nodes.hidraw);
    if (openedBy > 0) {
        if (!waitUntilHeldOpen(static_cast<pid_t>(openedBy), opened, deadline, error)) {
            std::printf("%s\n", error.c_str());
            return 1;
        }
        sleepMs(100);  // each node is grabbed right after it is opened
    }
    bool asExpected = !nodes.twins.empty();
    std::vector<EvdevReader> observers(nodes.twins.size());
    for (size_t i = 0; i < observers.size(); ++i) {
        if (!observers[i].open(nodes.twins[i], error)) {
            return failed(error, 2);
        }
        const int refused = observers[i].probeGrab();
        std::printf("%s (%s): %s\n", inputName(nodes.twins[i]).c_str(), nodes.twins[i].c_str(),
                    refused == EBUSY ? "held" : (refused == 0 ? "free" : "grab failed"));
        asExpected = asExpected && refused == (expect == "held" ? EBUSY : 0);
    }
    // Whatever the twins deliver meanwhile stays queued for each observer.
    sleepMs(static_cast<int>(silentMs));
    for (size_t i = 0; silentMs > 0 && i < observers.size(); ++i) {
        std::vector<Frame> frames;
        if (!observers[i].read(0, 0, afterMs(1000), frames, error) || !frames.empty()) {
            std::printf("%s delivered %zu frames to another reader%s%s\n",
                        observers[i].node().c_str(), frames.size(),
                        frames.empty() ? "" : ", the first: ",
                        frames.empty() ? "" : formatFrame(frames.front()).c_str());
            asExpected = false;
        }
    }
    std::fflush(stdout);
    return asExpected ? 0 : 1;
}

}  // namespace drawlume::e2e

int main(int argc, char** argv) {
    using namespace drawlume::e2e;
    const struct {
        const char* name;
        int (*run)(int, char**);
    } commands[] = {{"companion", companionCommand},
                    {"read", readCommand},
                    {"grab", grabCommand},
                    {"soak", soakCommand},
                    {"libinput", libinputCommand}};
    for (const auto& command : commands) {
        if (argc > 1 && std::strcmp(argv[1], command.name) == 0) {
            return command.run(argc - 2, argv + 2);
        }
    }
    std::fprintf(stderr, "usage: e2e companion|read|grab|soak|libinput OPTIONS...\n");
    return 2;
}
