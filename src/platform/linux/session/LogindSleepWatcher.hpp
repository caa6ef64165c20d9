#pragma once

#include <functional>
#include <string>

#include "services/RunLoop.hpp"

struct sd_bus;
struct sd_bus_slot;
struct sd_bus_message;

namespace drawlume {

// Follows the session manager's sleep announcements on the system bus. A
// delay lock taken from logind holds sleep back until the agent has let go of
// everything the companion held (pen, buttons, keys); the lock is given back
// once that is done and taken again after wake. The bus is served on the run
// loop, so the same watcher works under the poll() loop and under Qt's.
// Without a system bus the agent runs on without sleep handling.
class LogindSleepWatcher {
public:
    using Callback = std::function<void(bool goingToSleep)>;

    LogindSleepWatcher(RunLoop& loop, Callback callback);
    ~LogindSleepWatcher();
    LogindSleepWatcher(const LogindSleepWatcher&) = delete;
    LogindSleepWatcher& operator=(const LogindSleepWatcher&) = delete;

    // Follows the system bus ($DBUS_SYSTEM_BUS_ADDRESS, else the standard
    // socket); false, with one warning line, when it cannot be reached.
    bool start();
    // The same on the bus at this address.
    bool start(const std::string& busAddress);
    bool holdsDelayLock() const { return lockFd_ >= 0; }

private:
    bool follow(sd_bus* bus, int openResult);
    void serveBus();
    void disconnect();
    void takeDelayLock();
    void releaseDelayLock();
    void prepareForSleep(sd_bus_message* message);
    void delayLockTaken(sd_bus_message* reply);
    // The bus's C callbacks, which hand over to the two above.
    friend struct LogindSleepWatcherCallbacks;

    RunLoop& loop_;
    Callback callback_;
    sd_bus* bus_ = nullptr;
    sd_bus_slot* signalSlot_ = nullptr;
    sd_bus_slot* inhibitCall_ = nullptr;
    RunLoop::WatchId watch_ = 0;
    bool watching_ = false;
    int lockFd_ = -1;
};

}  // namespace drawlume
