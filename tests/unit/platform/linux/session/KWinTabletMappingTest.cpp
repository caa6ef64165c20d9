#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <systemd/sd-bus.h>

#include "LogCapture.hpp"
#include "PrivateBus.hpp"
#include "platform/linux/session/KWinTabletMapping.hpp"

namespace drawlume {
namespace {

using Outcome = KWinTabletMapping::Outcome;

// Stands in for KWin's input devices on a private bus, on a thread of its
// own since the mapping's calls block: the manager lists the devices, each
// device has a writable output name and, as on Plasma 6, a workspace switch.
// It records every property set, in order.
class StandInKWin {
public:
    struct Behaviour {
        bool plasma6 = false;
        bool mapToWorkspace = false;  // the switch's value before anything is set
        bool refuses = false;         // every set fails, as a read-only property would
        int unlisted = 0;             // listings that do not name the pen yet
    };

    StandInKWin(const std::string& address, Behaviour behaviour)
        : behaviour_(behaviour),
          bus_(testing::openServiceBus(
              address, "org.kde.KWin",
              {{"/org/kde/KWin/InputDevice", "org.kde.KWin.InputDeviceManager", managerTable()},
               {"/org/kde/KWin/InputDevice/event7", "org.kde.KWin.InputDevice",
                deviceTable(behaviour.plasma6)}},
              this)),
          mapToWorkspace_(behaviour.mapToWorkspace) {
        if (bus_ == nullptr) {
            return;
        }
        thread_ = std::thread([this] {
            while (!stop_) {
                if (sd_bus_process(bus_, nullptr) == 0) {
                    sd_bus_wait(bus_, 10'000);
                }
            }
        });
    }
    ~StandInKWin() {
        stop_ = true;
        if (thread_.joinable()) {
            thread_.join();
        }
        sd_bus_flush_close_unref(bus_);
    }
    std::string sets() {
        const std::lock_guard<std::mutex> lock(mutex_);
        return sets_;
    }

private:
    static int devices(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply,
                       void* self, sd_bus_error*) {
        auto& kwin = *static_cast<StandInKWin*>(self);
        const bool listed = kwin.listings_++ >= kwin.behaviour_.unlisted;
        const char* some[] = {"event3", "event7", nullptr};
        const char* none[] = {"event3", nullptr};
        return sd_bus_message_append_strv(reply, const_cast<char**>(listed ? some : none));
    }
    // Both properties through one getter and one setter, told apart by name.
    static int get(sd_bus*, const char*, const char*, const char* property, sd_bus_message* reply,
                   void* self, sd_bus_error*) {
        auto& kwin = *static_cast<StandInKWin*>(self);
        const std::lock_guard<std::mutex> lock(kwin.mutex_);
        return std::string(property) == "outputName"
                   ? sd_bus_message_append(reply, "s", kwin.outputName_.c_str())
                   : sd_bus_message_append(reply, "b", static_cast<int>(kwin.mapToWorkspace_));
    }
    static int set(sd_bus*, const char*, const char*, const char* property, sd_bus_message* value,
                   void* self, sd_bus_error* error) {
        auto& kwin = *static_cast<StandInKWin*>(self);
        const bool output = std::string(property) == "outputName";
        const char* name = nullptr;
        int on = 0;
        if (kwin.behaviour_.refuses || (output ? sd_bus_message_read(value, "s", &name)
                                               : sd_bus_message_read(value, "b", &on)) < 0) {
            return sd_bus_error_set(error, SD_BUS_ERROR_ACCESS_DENIED, "not for you");
        }
        const std::lock_guard<std::mutex> lock(kwin.mutex_);
        if (output) {
            kwin.outputName_ = name;
        } else {
            kwin.mapToWorkspace_ = on != 0;
        }
        kwin.sets_ += output ? std::string(" outputName=") + name
                             : std::string(" mapToWorkspace=") + (on != 0 ? "true" : "false");
        return 0;
    }

    static const sd_bus_vtable* managerTable() {
        static const sd_bus_vtable table[] = {
            SD_BUS_VTABLE_START(0),
            SD_BUS_PROPERTY("devicesSysNames", "as", devices, 0, 0),
            SD_BUS_VTABLE_END,
        };
        return table;
    }
    // Plasma 6 added the switch: Plasma 5's table ends before it.
    static const sd_bus_vtable* deviceTable(bool plasma6) {
        static const sd_bus_vtable table[] = {
            SD_BUS_VTABLE_START(0),
            SD_BUS_WRITABLE_PROPERTY("outputName", "s", get, set, 0, SD_BUS_VTABLE_UNPRIVILEGED),
            SD_BUS_VTABLE_END,
            SD_BUS_VTABLE_START(0),
            SD_BUS_WRITABLE_PROPERTY("outputName", "s", get, set, 0, SD_BUS_VTABLE_UNPRIVILEGED),
            SD_BUS_WRITABLE_PROPERTY("mapToWorkspace", "b", get, set, 0,
                                     SD_BUS_VTABLE_UNPRIVILEGED),
            SD_BUS_VTABLE_END,
        };
        return plasma6 ? table + 3 : table;
    }

    Behaviour behaviour_;
    sd_bus* bus_ = nullptr;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    int listings_ = 0;  // on the stand-in's thread only
    std::mutex mutex_;
    std::string outputName_;
    bool mapToWorkspace_;
    std::string sets_;  // " name=value" of each set, in order
};

// KWin on Plasma 6 has its whole-workspace switch turned off first; a pen
// KWin lists late is waited for; a refusal says how to map it by hand;
// without KWin on the bus, or without a bus, nothing is set or refused.
TEST(KWinTabletMappingTest, ThePenIsMappedByOutputNameOnPlasma5AndPlasma6) {
    testing::PrivateBus bus;
    if (bus.address().empty()) {
        GTEST_SKIP() << "dbus-daemon could not be started";
    }
    const auto map = [](const std::string& address) {
        return KWinTabletMapping("Draw Quill", address).mapToOutput("/dev/input/event7", "DP-2");
    };
    using enum KWinTabletMapping::Outcome;
    struct Case {
        const char* kwin;
        StandInKWin::Behaviour behaviour;
        Outcome outcome;
        const char* sets;
        std::optional<bool> mapToWorkspace;  // read back
    };
    const Case cases[] = {
        {"5.27", {}, mapped, " outputName=DP-2", {}},
        {"6.x, workspace on", {true, true}, mapped, " mapToWorkspace=false outputName=DP-2", false},
        {"6.x", {true, false}, mapped, " outputName=DP-2", false},
        {"5.27, listed late", {false, false, false, 3}, mapped, " outputName=DP-2", {}},
        {"6.x refusing", {true, true, true}, refused, "", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kwin);
        StandInKWin kwin(bus.address(), c.behaviour);
        testing::LogCapture log;
        const KWinTabletMapping::Answer answer = map(bus.address());
        EXPECT_EQ(answer.outcome, c.outcome);
        EXPECT_EQ(answer.outputName, c.outcome == mapped ? "DP-2" : "");
        EXPECT_EQ(answer.mapToWorkspace, c.mapToWorkspace);
        EXPECT_EQ(kwin.sets(), c.sets);
        EXPECT_THAT(
            log.lines(),
            ::testing::ElementsAre(::testing::ContainsRegex(
                c.outcome == mapped ? "KWin maps the pen \\(event7\\) onto output DP-2: "
                                      "outputName reads \"DP-2\""
                                    : "not for you.*choose DP-2 for the tablet \"Draw Quill\"")));
    }
    for (const std::string& address : {bus.address(), std::string("unix:path=/nonexistent/bus")}) {
        EXPECT_EQ(map(address).outcome, absent) << address;
    }
}

}  // namespace
}  // namespace drawlume
