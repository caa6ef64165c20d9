#include "platform/replay/ReplayHidHost.hpp"

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>

#include "logging/LogMacros.hpp"

namespace drawlume {

namespace {
constexpr const char* kLogFile = "Drawlume___Bluetooth_Agent/ReplayHidHost";
}  // namespace

IOReturn ReplayHidManager::startDiscovery() {
    host_.runLoop_ = runLoop();
    for (size_t index = 0; index < host_.playbacks_.size(); ++index) {
        const auto& playback = host_.playbacks_[index];
        if (playback.finished) {
            continue;
        }
        const std::string refusal =
            deviceArrived(playback.device, playback.device->recorded().descriptor);
        // A device this manager does not report would never be opened: it
        // has nothing to play, and the session must still come to its end.
        // Whoever replays a file wants to hear why nothing of it played.
        if (!wasReported(playback.device.get())) {
            const std::string why = refusal.empty()
                                        ? "it is not a pen digitizer"
                                        : "it is a pen digitizer but not a companion: " + refusal;
            DDLogInfo("startDiscovery()",
                      strf("Not playing %s: %s", playback.device->label().c_str(), why.c_str()));
            std::fprintf(stderr, "drawlume-agent: not playing %s: %s\n",
                         playback.device->label().c_str(), why.c_str());
            host_.finish(index);
        }
    }
    return kIOReturnSuccess;
}

std::string ReplayHidManager::deviceLabel(const HidDevice& device) const {
    // Only this host's devices reach its manager.
    return static_cast<const ReplayHidDevice&>(device).label();
}

ReplayHidHost::ReplayHidHost(const std::vector<HidRecording>& recordings, ReplayPacing pacing)
    : pacing_(pacing) {
    std::set<std::string> labels;
    for (const HidRecording& recording : recordings) {
        for (const RecordedDevice& recorded : recording.devices) {
            // A file given twice is played twice, as two devices.
            std::string label = strf("%s (device %u)", recording.source.c_str(), recorded.index);
            for (int copy = 2; !labels.insert(label).second; ++copy) {
                label =
                    strf("%s (device %u, copy %d)", recording.source.c_str(), recorded.index, copy);
            }
            playbacks_.push_back(Playback{std::make_shared<ReplayHidDevice>(
                recorded, std::move(label),
                [this](ReplayHidDevice& device) { deviceOpened(device); })});
        }
    }
}

ReplayHidHost::~ReplayHidHost() {
    *alive_ = false;
}

std::shared_ptr<HidManager> ReplayHidHost::createManager(IOOptionBits /*options*/) {
    auto manager = std::make_shared<ReplayHidManager>(*this);
    manager_ = manager;
    return manager;
}

bool ReplayHidHost::isFinished() const {
    return std::all_of(playbacks_.begin(), playbacks_.end(),
                       [](const Playback& playback) { return playback.finished; });
}

void ReplayHidHost::schedule(int64_t delayMicroseconds, std::function<void()> task) {
    if (runLoop_ == nullptr) {
        return;
    }
    auto guarded = [alive = std::weak_ptr<bool>(alive_), task = std::move(task)] {
        if (const auto host = alive.lock(); host && *host) {
            task();
        }
    };
    if (pacing_ == ReplayPacing::recordedTimes && delayMicroseconds > 0) {
        runLoop_->postAfter(static_cast<double>(delayMicroseconds) / 1e6, std::move(guarded));
    } else {
        runLoop_->post(std::move(guarded));
    }
}

void ReplayHidHost::deviceOpened(ReplayHidDevice& device) {
    const auto found = std::find_if(
        playbacks_.begin(), playbacks_.end(),
        [&device](const Playback& playback) { return playback.device.get() == &device; });
    if (found == playbacks_.end() || found->started) {
        return;
    }
    const size_t index = static_cast<size_t>(found - playbacks_.begin());
    found->started = true;
    found->startMicroseconds = clocks_.elapsedMicroseconds();
    const auto& reports = device.recorded().reports;
    DDLogInfo("deviceOpened(_:)",
              strf("Playing %zu report(s) of %s", reports.size(), device.label().c_str()));
    if (reports.empty()) {
        schedule(0, [this, index] { finish(index); });
        return;
    }
    schedule(reports.front().microseconds, [this, index] { playNext(index); });
}

void ReplayHidHost::playNext(size_t index) {
    Playback& playback = playbacks_[index];
    const auto& reports = playback.device->recorded().reports;
    const RecordedReport& report = reports[playback.nextReport];
    clocks_.setElapsedMicroseconds(playback.startMicroseconds + report.microseconds);
    playback.device->deliver(report.bytes);
    ++reportsPlayed_;
    ++playback.nextReport;
    if (playback.nextReport < reports.size()) {
        schedule(reports[playback.nextReport].microseconds - report.microseconds,
                 [this, index] { playNext(index); });
    } else {
        schedule(0, [this, index] { finish(index); });
    }
}

void ReplayHidHost::finish(size_t index) {
    Playback& playback = playbacks_[index];
    playback.finished = true;
    DDLogInfo("finish(_:)", strf("Finished playing %s", playback.device->label().c_str()));
    // Gone, as a device that is switched off: released, then its removal reported.
    playback.device->release();
    if (const auto manager = manager_.lock()) {
        manager->removeDevice(playback.device);
    }
    if (isFinished()) {
        // Queued behind the removal, so that it is handled first.
        schedule(0, [this] {
            if (onFinished_) {
                onFinished_();
            }
        });
    }
}

}  // namespace drawlume
