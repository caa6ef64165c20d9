#pragma once

#include <string>
#include <vector>

#include <poll.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include "PrivateBus.hpp"

namespace drawlume::testing {

// Stands in for logind on a private bus: answers Inhibit with the write end
// of a pipe, so it can tell when every copy of a lock handed out has been
// closed, and announces PrepareForSleep when told to.
class FakeLogind {
public:
    explicit FakeLogind(const std::string& address)
        : bus_(openServiceBus(
              address, "org.freedesktop.login1",
              {{"/org/freedesktop/login1", "org.freedesktop.login1.Manager", vtable()}}, this)) {}
    ~FakeLogind() {
        sd_bus_flush_close_unref(bus_);
        for (const int fd : readEnds_) {
            ::close(fd);
        }
    }
    FakeLogind(const FakeLogind&) = delete;
    FakeLogind& operator=(const FakeLogind&) = delete;

    bool running() const { return bus_ != nullptr; }
    int fd() const { return sd_bus_get_fd(bus_); }
    // Serves what has arrived; a test that runs no loop calls it while it waits.
    void process() {
        while (bus_ != nullptr && sd_bus_process(bus_, nullptr) > 0) {
        }
    }
    void announce(bool goingToSleep) {
        sd_bus_emit_signal(bus_, "/org/freedesktop/login1", "org.freedesktop.login1.Manager",
                           "PrepareForSleep", "b", static_cast<int>(goingToSleep));
        sd_bus_flush(bus_);
    }

    int locksGiven() const { return static_cast<int>(readEnds_.size()); }
    bool lastLockReleased() const {
        if (readEnds_.empty()) {
            return false;
        }
        pollfd check{readEnds_.back(), POLLIN, 0};
        return ::poll(&check, 1, 0) == 1 && (check.revents & POLLHUP) != 0;
    }
    std::vector<std::string> requests;  // "what/mode" of each Inhibit call

private:
    static int inhibit(sd_bus_message* call, void* self, sd_bus_error*) {
        auto& logind = *static_cast<FakeLogind*>(self);
        const char* what = nullptr;
        const char* who = nullptr;
        const char* why = nullptr;
        const char* mode = nullptr;
        if (sd_bus_message_read(call, "ssss", &what, &who, &why, &mode) < 0) {
            return -EINVAL;
        }
        logind.requests.push_back(std::string(what) + "/" + mode);
        int ends[2];
        if (::pipe(ends) != 0) {
            return -errno;
        }
        logind.readEnds_.push_back(ends[0]);
        const int replied = sd_bus_reply_method_return(call, "h", ends[1]);  // sends a copy
        ::close(ends[1]);
        return replied;
    }

    static const sd_bus_vtable* vtable() {
        static const sd_bus_vtable table[] = {
            SD_BUS_VTABLE_START(0),
            SD_BUS_METHOD("Inhibit", "ssss", "h", inhibit, SD_BUS_VTABLE_UNPRIVILEGED),
            SD_BUS_SIGNAL("PrepareForSleep", "b", 0),
            SD_BUS_VTABLE_END,
        };
        return table;
    }

    sd_bus* bus_ = nullptr;
    std::vector<int> readEnds_;
};

}  // namespace drawlume::testing
