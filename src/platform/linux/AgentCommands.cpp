#include "platform/linux/AgentCommands.hpp"

#include <cstdio>
#include <iostream>
#include <memory>

#include <unistd.h>

#include "app/HeadlessAgent.hpp"
#include "app/PrintingEventSink.hpp"
#include "app/StartupLogging.hpp"
#include "app/StderrAlerts.hpp"
#include "logging/DDLog.hpp"
#include "platform/linux/DesktopEventSink.hpp"
#include "platform/linux/HidrawHost.hpp"
#include "platform/linux/LinuxSystemInformation.hpp"
#include "platform/linux/PollRunLoop.hpp"
#include "platform/linux/TerminationSignals.hpp"
#include "platform/replay/HidRecordingParser.hpp"
#include "platform/replay/ReplayHidHost.hpp"

namespace drawlume {

namespace {

// Runs the agent on a poll loop until stopped, by SIGINT or SIGTERM or by the
// caller, then releases the device and everything held. Events are printed,
// or posted through uinput.
class AgentRun {
public:
    AgentRun(HidHost& host, const Clocks& clocks, bool printEvents)
        : host_(host), clocks_(clocks), screens_(HeadlessAgent::defaultScreens()) {
        // Blocked before the logging threads start, so that only the loop sees them.
        signalFd_ = openTerminationSignalFd();
        setupLogging();
        logSystemInformation(readSystemInformation());
        const Size size = screens_.screens().front().frame.size;
        if (printEvents) {
            // The pointer starts where a desktop puts it: the middle of the primary display.
            printer_ = std::make_unique<PrintingEventSink>(std::cout,
                                                           Point{size.width / 2, size.height / 2});
        } else {
            desktop_ = makeDesktopEventSink(screens_);
            if (!desktop_->canCreateEvent()) {
                std::fprintf(stderr,
                             "drawlume-agent: events cannot be posted (the log says why); "
                             "--print-events shows them instead\n");
            }
        }
    }
    ~AgentRun() {
        if (signalFd_ >= 0) {
            ::close(signalFd_);
        }
    }
    AgentRun(const AgentRun&) = delete;
    AgentRun& operator=(const AgentRun&) = delete;

    PollRunLoop& loop() { return loop_; }

    int run() {
        EventSink& sink = printer_ ? static_cast<EventSink&>(*printer_) : *desktop_;
        HeldInputReleaser* releaser = printer_ ? nullptr : desktop_.get();
        StderrAlerts alerts;
        HeadlessAgent agent({host_, loop_, sink, clocks_, alerts, releaser},
                            {screens_.screens().begin(), screens_.screens().end()});
        if (signalFd_ >= 0) {
            loop_.watchReadable(signalFd_, [this] {
                drainTerminationSignal(signalFd_);
                loop_.stop();
            });
        }
        agent.start();
        loop_.run();
        agent.stop();
        DDLog::sharedInstance().flushLog();
        return 0;
    }

private:
    HidHost& host_;
    const Clocks& clocks_;
    FixedScreenList screens_;
    int signalFd_ = -1;
    PollRunLoop loop_;
    std::unique_ptr<PrintingEventSink> printer_;
    std::unique_ptr<UinputEventSink> desktop_;
};

}  // namespace

int runReplayCommand(const std::vector<std::string>& files, bool asFastAsPossible,
                     bool printEvents) {
    std::vector<HidRecording> recordings;
    for (const std::string& file : files) {
        auto parsed = HidRecordingParser::parseFile(file);
        if (!parsed.recording) {
            std::fprintf(stderr, "drawlume-agent: %s\n", parsed.message().c_str());
            return 2;
        }
        recordings.push_back(std::move(*parsed.recording));
    }
    ReplayHidHost host(recordings, asFastAsPossible ? ReplayPacing::asFastAsPossible
                                                    : ReplayPacing::recordedTimes);
    AgentRun run(host, host.clocks(), printEvents);
    host.setOnFinished([&run] { run.loop().stop(); });
    return run.run();
}

int runPrintEventsCommand() {
    HidrawHost host;
    AgentRun run(host, SystemClocks::shared(), true);
    return run.run();
}

}  // namespace drawlume
