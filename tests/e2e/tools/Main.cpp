// e2e: the programs the VM run is built from, as subcommands of one tool.
//
//   e2e companion --descriptor FILE [--name NAME] [--uniq ADDRESS] [--ready FILE]
//                 [--twins N] [--timeout-ms MS] [SCRIPT...]
//     A simulated companion: created through /dev/uhid, it writes its hid folder to
//     the ready file once its hidraw node and twins (3, or N) are there, plays the
//     scripts and is removed.
//   e2e read --name NAME [--virtual] [--ready FILE] [--quiet-ms MS] [--timeout-ms MS]
//            [--expect FILE [--in-order]]
//   e2e read --name NAME [--virtual] --nothing-held
//     Reads frames from one evdev node, found by name (--virtual: a uinput device),
//     and prints or compares them: exactly, or with --in-order each expected frame
//     contained in its own frame read, others between.
//     --nothing-held: prints what the device holds down; exit 1 when anything.
//   e2e grab --companion UNIQ --expect held|free [--silent-ms MS]
//            [--opened-by PID] [--twins N] [--timeout-ms MS]
//     Whether the companion's twins are grabbed (EVIOCGRAB answers EBUSY); with
//     --silent-ms, that a reader of them gets nothing for that long; --opened-by first
//     waits until process PID holds the hidraw node and the twins open, as probing
//     the grab while it starts could take it from under it.
//   e2e soak, e2e libinput, e2e user-mouse: see their sources.
// Exit status: 0 as expected, 1 not as expected, 2 usage or nothing to check.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>

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
        } else if (flags.count(name) != 0) {
            flags_.insert(name);
        } else if (valued.count(name) != 0 && i + 1 < argc) {
            values_[name] = argv[++i];
        } else {
            std::fprintf(stderr, "e2e: unknown option or missing value: %s\n", arg.c_str());
            valid_ = false;
        }
    }
}

std::string Options::text(const std::string& name, const std::string& fallback) const {
    const auto found = values_.find(name);
    return found == values_.end() ? fallback : found->second;
}

long Options::number(const std::string& name, long fallback) const {
    const auto found = values_.find(name);
    return found == values_.end() ? fallback : std::strtol(found->second.c_str(), nullptr, 10);
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
    UhidCompanion::Identity identity;
    identity.name = options.text("name", identity.name);
    identity.uniq = options.text("uniq", identity.uniq);
    std::string error;
    std::vector<ScriptStep> steps;
    for (const std::string& script : options.words()) {
        if (!readScriptFile(script, steps, error)) {
            return failed(error, 2);
        }
    }
    const std::vector<uint8_t> descriptor = readDescriptorFile(options.text("descriptor"), error);
    if (!options.valid() || descriptor.empty()) {
        return failed(error, 2);
    }
    UhidCompanion companion;
    CompanionNodes nodes;
    if (!createCompanion(companion, identity, descriptor,
                         Deadline::afterMs(options.number("timeout-ms", 5000)), nodes, error,
                         options.number("twins", kCompanionTwinCount))) {
        return failed(error);
    }
    std::fprintf(stderr, "e2e companion: %s at %s, %s\n", identity.uniq.c_str(),
                 nodes.hidPath.c_str(), nodes.hidraw.c_str());
    if (!options.text("ready").empty()) {
        std::ofstream(options.text("ready")) << nodes.hidPath << "\n";
    }
    return playScript(companion, steps, error) ? 0 : failed(error);
}

// The options, then the one run the subcommand makes, in order.
// NOLINTNEXTLINE(readability-function-size)
int readCommand(int argc, char** argv) {
    const Options options(argc, argv, {"name", "ready", "quiet-ms", "timeout-ms", "expect"},
                          {"virtual", "in-order", "nothing-held"});
    const std::string expect = options.text("expect");
    std::vector<Frame> expected;
    std::string error;
    if (!options.valid() || options.text("name").empty() ||
        (!expect.empty() && !readFramesFile(expect, expected, error))) {
        return failed("usage: see tools/Main.cpp " + error, 2);
    }
    const Deadline deadline = Deadline::afterMs(options.number("timeout-ms", 10000));
    InputNode input;
    if (!waitForInputDevice(options.text("name"),
                            options.flag("virtual") ? onlyUinputDevices() : SysPathFilter(),
                            deadline, input, error)) {
        return failed(error, 2);
    }
    EvdevReader reader;
    if (!reader.open(input.devNode, error)) {
        return failed(error, 2);
    }
    if (options.flag("nothing-held")) {
        std::vector<uint16_t> held;
        if (!reader.heldKeys(held, error)) {
            return failed(error, 2);
        }
        std::printf("%s holds %s\n", input.devNode.c_str(), describeKeys(held).c_str());
        return held.empty() ? 0 : 1;
    }
    if (!options.text("ready").empty()) {
        std::ofstream(options.text("ready")) << input.devNode << "\n";
    }
    // Exact expectations read their count of frames and then a short while more,
    // which catches frames beyond them.
    std::vector<Frame> frames;
    const int quietMs = static_cast<int>(options.number("quiet-ms", 500));
    const bool counted = !expect.empty() && !options.flag("in-order");
    EvdevReader::Status status = counted
                                     ? reader.readFrames(expected.size(), deadline, frames, error)
                                     : reader.readUntilQuiet(quietMs, deadline, frames, error);
    if (counted && status == EvdevReader::Status::Complete) {
        reader.readUntilQuiet(quietMs, deadline.capped(quietMs), frames, error);
    }
    for (const Frame& frame : frames) {
        std::printf("%s\n", formatFrame(frame).c_str());
    }
    std::fflush(stdout);
    std::string difference;
    if (!expect.empty() &&
        !(options.flag("in-order") ? framesContainInOrder(expected, frames, difference)
                                   : sameFrames(expected, frames, difference))) {
        return failed(input.devNode + ": " + difference + " (read: " + statusName(status) + ")");
    }
    if (expect.empty() && status != EvdevReader::Status::Complete) {
        return failed(input.devNode + ": " + statusName(status) + " " + error);
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
    if (!options.valid() || options.text("companion").empty() ||
        (expect != "held" && expect != "free") || openedBy < 0) {
        return failed("usage: see tools/Main.cpp", 2);
    }
    std::string error;
    CompanionNodes nodes;
    const Deadline deadline = Deadline::afterMs(options.number("timeout-ms", 5000));
    if (!waitForCompanionNodes(options.text("companion"),
                               options.number("twins", kCompanionTwinCount), deadline, nodes,
                               error)) {
        return failed(error, 2);
    }
    const std::vector<InputNode>& checked = nodes.twins;
    std::vector<std::string> opened{nodes.hidraw};
    for (const InputNode& twin : checked) {
        opened.push_back(twin.devNode);
    }
    if (openedBy > 0) {
        if (!waitUntilHeldOpen(static_cast<pid_t>(openedBy), opened, deadline, error)) {
            std::printf("%s\n", error.c_str());
            return 1;
        }
        sleepMs(100);  // each node is grabbed right after it is opened
    }
    bool asExpected = !checked.empty();
    std::vector<std::unique_ptr<EvdevReader>> observers;
    for (const InputNode& twin : checked) {
        observers.push_back(std::make_unique<EvdevReader>());
        if (!observers.back()->open(twin.devNode, error)) {
            return failed(error, 2);
        }
        const int refused = observers.back()->grab();
        if (refused == 0) {
            observers.back()->ungrab();
        }
        std::printf("%s (%s): %s\n", twin.name.c_str(), twin.devNode.c_str(),
                    refused == EBUSY ? "held" : (refused == 0 ? "free" : "grab failed"));
        asExpected = asExpected && refused == (expect == "held" ? EBUSY : 0);
    }
    // Whatever the twins deliver meanwhile stays queued for each observer.
    sleepMs(static_cast<int>(options.number("silent-ms", 0)));
    for (size_t i = 0; options.number("silent-ms", 0) > 0 && i < observers.size(); ++i) {
        std::vector<Frame> frames;
        if (observers[i]->readUntilQuiet(0, Deadline::afterMs(1000), frames, error) ==
                EvdevReader::Status::Overflow ||
            !frames.empty()) {
            std::printf("%s delivered %zu frames to another reader%s%s\n",
                        observers[i]->node().c_str(), frames.size(),
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
    } commands[] = {{"companion", companionCommand}, {"read", readCommand},
                    {"grab", grabCommand},           {"soak", soakCommand},
                    {"libinput", libinputCommand},   {"user-mouse", userMouseCommand}};
    for (const auto& command : commands) {
        if (argc > 1 && std::strcmp(argv[1], command.name) == 0) {
            return command.run(argc - 2, argv + 2);
        }
    }
    std::fprintf(stderr, "usage: e2e companion|read|grab|soak|libinput|user-mouse OPTIONS...\n");
    return 2;
}
