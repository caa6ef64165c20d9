#include "platform/linux/session/LogindSleepWatcher.hpp"

#include <utility>

#include <fcntl.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include "logging/LogMacros.hpp"
#include "util/TextFormat.hpp"

namespace drawlume {

namespace {

constexpr const char* kLogFile = "Drawlume___Bluetooth_Agent/LogindSleepWatcher";
constexpr const char* kService = "org.freedesktop.login1";
constexpr const char* kPath = "/org/freedesktop/login1";
constexpr const char* kInterface = "org.freedesktop.login1.Manager";

std::string describe(int negativeErrno) {
    return errnoText(-negativeErrno);
}

}  // namespace

struct LogindSleepWatcherCallbacks {
    static int prepareForSleep(sd_bus_message* message, void* watcher, sd_bus_error*) {
        static_cast<LogindSleepWatcher*>(watcher)->prepareForSleep(message);
        return 0;
    }
    static int delayLockTaken(sd_bus_message* reply, void* watcher, sd_bus_error*) {
        static_cast<LogindSleepWatcher*>(watcher)->delayLockTaken(reply);
        return 0;
    }
};

LogindSleepWatcher::LogindSleepWatcher(RunLoop& loop, Callback callback)
    : loop_(loop), callback_(std::move(callback)) {}

LogindSleepWatcher::~LogindSleepWatcher() {
    disconnect();
    releaseDelayLock();
}

bool LogindSleepWatcher::start() {
    sd_bus* bus = nullptr;
    const int opened = sd_bus_open_system(&bus);
    return follow(bus, opened);
}

bool LogindSleepWatcher::start(const std::string& busAddress) {
    sd_bus* bus = nullptr;
    int opened = sd_bus_new(&bus);
    if (opened >= 0) {
        opened = sd_bus_set_address(bus, busAddress.c_str());
    }
    if (opened >= 0) {
        opened = sd_bus_set_bus_client(bus, 1);
    }
    if (opened >= 0) {
        opened = sd_bus_start(bus);
    }
    return follow(bus, opened);
}

bool LogindSleepWatcher::follow(sd_bus* bus, int openResult) {
    disconnect();
    int result = openResult;
    if (result >= 0) {
        // Asynchronous, as every call here: the main thread never waits on the bus.
        result = sd_bus_match_signal_async(
            bus, &signalSlot_, kService, kPath, kInterface, "PrepareForSleep",
            LogindSleepWatcherCallbacks::prepareForSleep, nullptr, this);
    }
    if (result < 0) {
        sd_bus_unref(bus);
        DDLogWarn("start()",
                  "No system bus: sleep and wake will not be followed (" + describe(result) + ")");
        return false;
    }
    bus_ = bus;
    watch_ = loop_.watchReadable(sd_bus_get_fd(bus_), [this] { serveBus(); });
    watching_ = true;
    takeDelayLock();
    // What the connection's set-up already read waits in its queue, not on the socket.
    serveBus();
    return true;
}

void LogindSleepWatcher::serveBus() {
    if (bus_ == nullptr) {
        return;
    }
    int result = 0;
    do {
        result = sd_bus_process(bus_, nullptr);
    } while (result > 0 && bus_ != nullptr);
    if (result < 0 && bus_ != nullptr) {
        // The bus went away; its socket would stay readable for good.
        DDLogWarn("serveBus()", "Lost the system bus: sleep and wake are no longer followed (" +
                                    describe(result) + ")");
        disconnect();
    }
}

void LogindSleepWatcher::disconnect() {
    if (watching_) {
        loop_.unwatch(watch_);
        watching_ = false;
    }
    // The slots hold this object as their user data: gone before it is.
    inhibitCall_ = sd_bus_slot_unref(inhibitCall_);
    signalSlot_ = sd_bus_slot_unref(signalSlot_);
    bus_ = sd_bus_flush_close_unref(bus_);
}

void LogindSleepWatcher::prepareForSleep(sd_bus_message* message) {
    int goingToSleep = 0;
    if (sd_bus_message_read(message, "b", &goingToSleep) < 0) {
        return;
    }
    if (callback_) {
        callback_(goingToSleep != 0);
    }
    if (goingToSleep != 0) {
        // Everything is let go of: sleep may go ahead.
        releaseDelayLock();
    } else {
        takeDelayLock();
    }
}

void LogindSleepWatcher::takeDelayLock() {
    if (lockFd_ >= 0 || inhibitCall_ != nullptr || bus_ == nullptr) {
        return;
    }
    const int result = sd_bus_call_method_async(
        bus_, &inhibitCall_, kService, kPath, kInterface, "Inhibit",
        LogindSleepWatcherCallbacks::delayLockTaken, this, "ssss", "sleep", "Drawlume agent",
        "Releases the companion's pen, buttons and keys before sleep", "delay");
    if (result < 0) {
        DDLogWarn("takeDelayLock()", "Could not take the sleep delay lock: " + describe(result));
    }
}

void LogindSleepWatcher::delayLockTaken(sd_bus_message* reply) {
    inhibitCall_ = sd_bus_slot_unref(inhibitCall_);
    if (const sd_bus_error* error = sd_bus_message_get_error(reply)) {
        DDLogWarn("takeDelayLock()", std::string("Could not take the sleep delay lock: ") +
                                         (error->message != nullptr ? error->message : ""));
        return;
    }
    int fd = -1;
    if (sd_bus_message_read(reply, "h", &fd) >= 0 && fd >= 0 && lockFd_ < 0) {
        // The message owns its descriptor: keep a copy of our own.
        lockFd_ = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
    }
}

void LogindSleepWatcher::releaseDelayLock() {
    if (lockFd_ >= 0) {
        ::close(lockFd_);
        lockFd_ = -1;
    }
}

}  // namespace drawlume
