#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "devices/HidManager.hpp"
#include "devices/ReportDescriptor.hpp"

namespace drawlume {

// What every host's manager shares: the matching rule, the callbacks and
// their delivery on the scheduled run loop, and the bookkeeping that makes a
// removal follow only a reported arrival. A host tells it of devices through
// deviceArrived and deviceLeft; it decides what is reported. Must be owned by
// a std::shared_ptr: queued deliveries hold it weakly.
class HidManagerBase : public HidManager, public std::enable_shared_from_this<HidManagerBase> {
public:
    void setDeviceMatching(std::optional<HidDeviceMatching> matching) override;
    void registerDeviceMatchingCallback(DeviceCallback callback) override;
    void registerDeviceRemovalCallback(DeviceCallback callback) override;
    void scheduleWithRunLoop(RunLoop& runLoop) override;
    // Not ready until scheduled: callbacks would have nowhere to run.
    IOReturn open(IOOptionBits options) override;
    IOReturn close(IOOptionBits options) override;

    bool isOpen() const { return open_; }

protected:
    // Starts finding devices, announcing those present now (and later ones)
    // through deviceArrived.
    virtual IOReturn startDiscovery() = 0;
    virtual void stopDiscovery() = 0;

    RunLoop* runLoop() const { return runLoop_; }
    // Reports the device on the run loop if the manager is open and the
    // descriptor matches. An already reported device is not reported again.
    // A pen digitizer refused as not the companion is logged once, at info,
    // with the reason, which is returned; otherwise the result is empty.
    std::string deviceArrived(const std::shared_ptr<HidDevice>& device,
                              const ReportDescriptor& descriptor);
    // How the log names a device: its product with vendor and product IDs.
    virtual std::string deviceLabel(const HidDevice& device) const;
    // Reports the removal on the run loop if the arrival was reported.
    void deviceLeft(const std::shared_ptr<HidDevice>& device);
    bool wasReported(const HidDevice* device) const;

    enum class Delivery { matching, removal };
    // Queues one callback for the device on the run loop, whatever was reported before.
    void deliver(Delivery delivery, const std::shared_ptr<HidDevice>& device);

private:
    std::optional<HidDeviceMatching> matching_;
    DeviceCallback matchingCallback_;
    DeviceCallback removalCallback_;
    RunLoop* runLoop_ = nullptr;
    bool open_ = false;
    // Deliveries queued before a close belong to an older session and are dropped.
    uint64_t session_ = 0;
    std::vector<std::shared_ptr<HidDevice>> reported_;
};

}  // namespace drawlume
