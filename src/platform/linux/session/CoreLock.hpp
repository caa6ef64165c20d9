#pragma once

#include <atomic>
#include <cstdint>

namespace drawlume {

// The lock that the run loop and its report readers hand the core over with,
// taken and given back once for every report. Free, it costs one atomic
// exchange each way, written out in place: std::mutex calls into the C library
// on both, and under emulation each such call and its return is looked up
// again after every switch of process. Only a waiter sleeps, in the kernel's
// futex behind std::atomic::wait.
class CoreLock {
public:
    void lock() {
        uint32_t expected = kFree;
        if (!state_.compare_exchange_strong(expected, kTaken, std::memory_order_acquire)) {
            lockContended();
        }
    }

    void unlock() {
        if (state_.exchange(kFree, std::memory_order_release) == kWaitedFor) {
            state_.notify_one();
        }
    }

private:
    enum : uint32_t { kFree, kTaken, kWaitedFor };

    void lockContended() {
        // Whoever takes it from here marks it waited for, so that its unlock
        // wakes the next waiter; at worst one wake-up finds nobody.
        while (state_.exchange(kWaitedFor, std::memory_order_acquire) != kFree) {
            state_.wait(kWaitedFor, std::memory_order_relaxed);
        }
    }

    std::atomic<uint32_t> state_{kFree};
};

}  // namespace drawlume
