#pragma once

#include <optional>
#include <string>
#include <vector>

#include <systemd/sd-bus.h>

#include "ChildProcess.hpp"
#include "TempDirectory.hpp"

namespace drawlume::testing {

// A bus daemon of the test's own, open to every name and call, in a fresh
// folder: what the system bus is to the agent. address() is empty when
// dbus-daemon could not be started.
class PrivateBus {
public:
    PrivateBus() {
        const std::string config = folder_.str() + "/bus.conf";
        writeFile(config,
                  "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration "
                  "1.0//EN\" \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                  "<busconfig><type>system</type><listen>unix:dir=" +
                      folder_.str() +
                      "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
                      "<allow user=\"*\"/><allow own=\"*\"/><allow send_destination=\"*\"/>"
                      "<allow receive_sender=\"*\"/></policy></busconfig>\n");
        daemon_.emplace(std::vector<std::string>{"/usr/bin/dbus-daemon", "--nofork",
                                                 "--config-file=" + config, "--print-address=1"},
                        std::vector<std::pair<std::string, std::string>>{},
                        folder_.str() + "/daemon");
        eventually([&] { return daemon_->output().find('\n') != std::string::npos; }, 10.0);
        address_ = daemon_->output();
        address_ = address_.substr(0, address_.find('\n'));
    }

    const std::string& address() const { return address_; }

private:
    TempDirectory folder_;
    std::optional<ChildProcess> daemon_;
    std::string address_;
};

// A connection to the bus at `address` that serves `objects` (path,
// interface, table) under the well-known `name`, as a stand-in service does;
// null when any step fails.
struct BusObject {
    const char* path;
    const char* interface;
    const sd_bus_vtable* table;
};
inline sd_bus* openServiceBus(const std::string& address, const char* name,
                              const std::vector<BusObject>& objects, void* self) {
    sd_bus* bus = nullptr;
    bool opened = sd_bus_new(&bus) >= 0 && sd_bus_set_address(bus, address.c_str()) >= 0 &&
                  sd_bus_set_bus_client(bus, 1) >= 0 && sd_bus_start(bus) >= 0;
    for (const BusObject& object : objects) {
        opened = opened && sd_bus_add_object_vtable(bus, nullptr, object.path, object.interface,
                                                    object.table, self) >= 0;
    }
    if (!opened || sd_bus_request_name(bus, name, 0) < 0) {
        return sd_bus_flush_close_unref(bus);
    }
    return bus;
}

}  // namespace drawlume::testing
