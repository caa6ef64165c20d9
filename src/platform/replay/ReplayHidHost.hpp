#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "devices/HidHost.hpp"
#include "devices/HidManagerBase.hpp"
#include "platform/replay/HidRecording.hpp"
#include "platform/replay/ReplayClocks.hpp"
#include "platform/replay/ReplayHidDevice.hpp"

namespace drawlume {

class ReplayHidHost;

// The replay host's manager: presents every recorded device that has not
// finished playing.
class ReplayHidManager final : public HidManagerBase {
public:
    explicit ReplayHidManager(ReplayHidHost& host) : host_(host) {}
    void removeDevice(const std::shared_ptr<ReplayHidDevice>& device) { deviceLeft(device); }

private:
    IOReturn startDiscovery() override;
    void stopDiscovery() override {}
    std::string deviceLabel(const HidDevice& device) const override;

    ReplayHidHost& host_;
};

enum class ReplayPacing {
    recordedTimes,     // each report waits for its recorded time
    asFastAsPossible,  // each report follows the previous one at once (tests)
};

// A HID layer that plays recorded sessions. Every device of every recording
// is present when the manager opens; a device's reports play from its first
// open, at the recorded times or as fast as possible, on the manager's run
// loop, and the device is removed after its last report. The clocks follow
// the recording.
class ReplayHidHost final : public HidHost {
public:
    ReplayHidHost(const std::vector<HidRecording>& recordings, ReplayPacing pacing);
    ~ReplayHidHost() override;
    ReplayHidHost(const ReplayHidHost&) = delete;
    ReplayHidHost& operator=(const ReplayHidHost&) = delete;

    std::shared_ptr<HidManager> createManager(IOOptionBits options) override;

    const Clocks& clocks() const { return clocks_; }
    // Runs on the run loop after the last device's removal has been delivered.
    void setOnFinished(std::function<void()> onFinished) { onFinished_ = std::move(onFinished); }
    bool isFinished() const;
    size_t reportsPlayed() const { return reportsPlayed_; }

private:
    friend class ReplayHidManager;

    struct Playback {
        std::shared_ptr<ReplayHidDevice> device;
        size_t nextReport = 0;
        // The clock when the device was first opened: its recording's zero.
        int64_t startMicroseconds = 0;
        bool started = false;
        bool finished = false;
    };

    void deviceOpened(ReplayHidDevice& device);
    void schedule(int64_t delayMicroseconds, std::function<void()> task);
    void playNext(size_t index);
    void finish(size_t index);

    std::vector<Playback> playbacks_;
    ReplayPacing pacing_;
    ReplayClocks clocks_;
    RunLoop* runLoop_ = nullptr;
    std::weak_ptr<ReplayHidManager> manager_;
    std::function<void()> onFinished_;
    size_t reportsPlayed_ = 0;
    // Queued tasks check it, so that none runs after the host is gone.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace drawlume
