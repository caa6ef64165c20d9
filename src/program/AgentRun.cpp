#include "program/AgentRun.hpp"

#include <unistd.h>

#include "logging/DDLog.hpp"
#include "platform/linux/session/ExecutablePath.hpp"
#include "platform/linux/session/LinuxSystemInformation.hpp"
#include "platform/linux/session/SessionLock.hpp"
#include "platform/linux/session/TerminationSignals.hpp"
#include "program/StartupLogging.hpp"
#include "settings/StandardUserDefaults.hpp"

namespace drawlume {

AgentRun::AgentRun(const AgentOptions& options, const SessionLock* session)
    : options_(options),
      session_(session),
      loginItem_(LoginItem::defaultEntryPath(), {executablePath()}) {
    recordingsLoaded_ = loadRecordings(options.replayFiles, recordings_);
    if (recordingsLoaded_) {
        signalFd_ = openTerminationSignalFd();
    }
}

AgentRun::~AgentRun() {
    finish();
    DDLog::sharedInstance().flushLog();
    if (signalFd_ >= 0) {
        ::close(signalFd_);
    }
}

void AgentRun::startLogging() {
    fileLogger_ = setupLogging();
    logSystemInformation(readSystemInformation());
}

AgentCore& AgentRun::assemble(const ShellServices& shell) {
    loop_ = &shell.runLoop;
    if (!options_.replays()) {
        SystemEventsHub& events = shell.systemEvents;
        sleepWatcher_.emplace(shell.runLoop, [&events](bool goingToSleep) {
            events.post(goingToSleep ? SystemEvent::willSleep : SystemEvent::didWake);
        });
        sleepWatcher_->start();
    }
    defaults_ = options_.usesOwnSettings() ? std::make_shared<InMemoryUserDefaults>()
                                           : makeStandardUserDefaults();
    io_ = std::make_unique<AgentIo>(options_, recordings_, *shell.screens);
    if (UinputEventOutput* desktop = io_->desktopSink()) {
        shell.systemEvents.addObserver(SystemEvent::screenParametersChanged,
                                       [desktop] { desktop->screensChanged(); });
    }
    core_ = std::make_unique<AgentCore>(AgentPlatform{
        shell.runLoop, shell.systemEvents, io_->accessibilityTrust(), io_->eventSink(),
        io_->heldInputReleaser(), io_->hidHost(), shell.alerts, io_->clocks(), shell.screens,
        defaults_, io_->eventOutput(), io_->desktopScalesPointer()});
    return *core_;
}

void AgentRun::stopOn(std::function<void()> stop) {
    if (ReplayHidHost* replay = io_->replay()) {
        replay->setOnFinished(stop);
    }
    if (signalFd_ >= 0) {
        signalWatch_ = loop_->watchReadable(signalFd_, [fd = signalFd_, stop = std::move(stop)] {
            drainTerminationSignal(fd);
            stop();
        });
    }
}

void AgentRun::stopListening() {
    handOver_.reset();
    if (signalWatch_ != 0) {
        loop_->unwatch(signalWatch_);
        signalWatch_ = 0;
    }
    if (io_ && io_->replay() != nullptr) {
        io_->replay()->setOnFinished(nullptr);
    }
}

void AgentRun::finish() {
    stopListening();
    core_.reset();
    io_.reset();
    sleepWatcher_.reset();
}

void AgentRun::acceptHandOver(std::function<bool()> show) {
    if (session_ != nullptr) {
        handOver_.emplace(*loop_, session_->listeningFd(), std::move(show));
    }
}

}  // namespace drawlume
