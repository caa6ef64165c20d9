#pragma once

#include <cstdio>
#include <string>

#include <poll.h>
#include <unistd.h>

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
        const std::string addressFile = folder_.str() + "/address";
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

}  // namespace drawlume::testing
