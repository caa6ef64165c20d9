#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "services/DebugLines.hpp"
#include "services/RunLoop.hpp"
#include "util/SerialQueue.hpp"

namespace drawlume {

// The short list of timestamped lines and the events-per-second figure behind
// the main window's live debug view. Lines are formatted and kept on the
// collector's own queue so that a producer on the report path pays one flag
// test when collection is off and one queued task when it is on; every change
// reaches the callbacks on the main queue, in the order the changes were made.
class DebugLogCollector final : public DebugLines {
public:
    using LogLinesCallback = std::function<void(const std::vector<std::string>&)>;
    using EventsPerSecondCallback = std::function<void(int64_t)>;

    static constexpr int64_t maxLogLines = 100;

    // The process-wide collector. It delivers nothing until the application
    // hands it its main run loop with setMainRunLoop() at launch.
    static DebugLogCollector& shared();

    // Tests construct their own, delivering through a manual run loop.
    explicit DebugLogCollector(RunLoop* mainRunLoop = nullptr);
    // Work still queued finds the collector gone and stops.
    ~DebugLogCollector() override;

    DebugLogCollector(const DebugLogCollector&) = delete;
    DebugLogCollector& operator=(const DebugLogCollector&) = delete;

    void setMainRunLoop(RunLoop& mainRunLoop);

    // Queues the message with the local time at which the queue takes it in;
    // dropped at once while collection is off.
    void addLog(std::string message) override;
    void updateEventsPerSecond(int64_t eventsPerSecond) override;
    // Empties the list, whether or not collection is on.
    void clearLogs();

    bool isEnabled() const override { return enabled_.load(std::memory_order_relaxed); }
    void setEnabled(bool enabled) { enabled_.store(enabled, std::memory_order_relaxed); }

    // Main thread only; each is called on the main queue.
    void setOnLogUpdated(LogLinesCallback callback);
    void setOnEventsPerSecUpdated(EventsPerSecondCallback callback);

    // Returns when the work queued so far on the collector's queue has run
    // (its main-queue deliveries are then posted, not yet run).
    void flush();

private:
    struct State;

    void postToMain(std::function<void()> task) const;

    // Declared first so that it is destroyed last: its remaining tasks find
    // state_ already gone.
    SerialQueue queue_;
    std::shared_ptr<State> state_;
    std::atomic<bool> enabled_{false};
    std::atomic<RunLoop*> mainRunLoop_;
};

}  // namespace drawlume
