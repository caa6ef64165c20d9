#include "platform/linux/session/KWinTabletMapping.hpp"

#include <cerrno>
#include <cstdlib>
#include <utility>

#include <systemd/sd-bus.h>
#include <time.h>

#include "logging/LogMacros.hpp"
#include "util/TextFormat.hpp"

namespace drawlume {

namespace {

constexpr const char* kLogFile = "Drawlume___Bluetooth_Agent/KWinTabletMapping";
constexpr const char* kService = "org.kde.KWin";
constexpr const char* kManagerPath = "/org/kde/KWin/InputDevice";
constexpr const char* kManagerInterface = "org.kde.KWin.InputDeviceManager";
constexpr const char* kDeviceInterface = "org.kde.KWin.InputDevice";
// KWin learns of a new device through udev and libinput a moment after the
// kernel made it; a second is plenty on a loaded machine.
constexpr int kListingAttempts = 40;
constexpr long kListingPauseNanoseconds = 25'000'000;

struct BusError {
    sd_bus_error error = SD_BUS_ERROR_NULL;
    BusError() = default;
    ~BusError() { sd_bus_error_free(&error); }
    BusError(const BusError&) = delete;
    BusError& operator=(const BusError&) = delete;
    std::string text(int result) const {
        if (error.message != nullptr) {
            return error.message;
        }
        return errnoText(-result);
    }
};

struct BusConnection {
    sd_bus* bus = nullptr;
    BusConnection() = default;
    ~BusConnection() { sd_bus_flush_close_unref(bus); }
    BusConnection(const BusConnection&) = delete;
    BusConnection& operator=(const BusConnection&) = delete;
};

int openBus(const std::string& address, BusConnection& connection) {
    if (address.empty()) {
        return sd_bus_open_user(&connection.bus);
    }
    int result = sd_bus_new(&connection.bus);
    if (result >= 0) {
        result = sd_bus_set_address(connection.bus, address.c_str());
    }
    if (result >= 0) {
        result = sd_bus_set_bus_client(connection.bus, 1);
    }
    if (result >= 0) {
        result = sd_bus_start(connection.bus);
    }
    return result;
}

// Whether KWin lists the device; nothing when no KWin handles input on this
// bus (no KWin, or KWin on X11, which leaves tablets to the X server).
std::optional<bool> listsDevice(sd_bus* bus, const std::string& sysName, std::string& error) {
    BusError failure;
    sd_bus_message* reply = nullptr;
    int result = sd_bus_get_property(bus, kService, kManagerPath, kManagerInterface,
                                     "devicesSysNames", &failure.error, &reply, "as");
    if (result < 0) {
        error = failure.text(result);
        return std::nullopt;
    }
    char** names = nullptr;
    result = sd_bus_message_read_strv(reply, &names);
    sd_bus_message_unref(reply);
    if (result < 0) {
        error = failure.text(result);
        return std::nullopt;
    }
    bool found = false;
    for (char** name = names; name != nullptr && *name != nullptr; ++name) {
        found = found || sysName == *name;
        std::free(*name);  // NOLINT(cppcoreguidelines-no-malloc): sd-bus allocated it
    }
    std::free(static_cast<void*>(names));  // NOLINT(cppcoreguidelines-no-malloc)
    return found;
}

std::optional<bool> readMapToWorkspace(sd_bus* bus, const std::string& path) {
    BusError failure;
    int value = 0;
    if (sd_bus_get_property_trivial(bus, kService, path.c_str(), kDeviceInterface, "mapToWorkspace",
                                    &failure.error, 'b', &value) < 0) {
        return std::nullopt;  // Plasma 5 has no such switch
    }
    return value != 0;
}

std::string readOutputName(sd_bus* bus, const std::string& path, std::string& error) {
    BusError failure;
    char* value = nullptr;
    const int result = sd_bus_get_property_string(bus, kService, path.c_str(), kDeviceInterface,
                                                  "outputName", &failure.error, &value);
    if (result < 0) {
        error = failure.text(result);
        return "";
    }
    std::string name = value;
    std::free(value);  // NOLINT(cppcoreguidelines-no-malloc): sd-bus allocated it
    return name;
}

std::string describeAnswer(const KWinTabletMapping::Answer& answer) {
    std::string text = "outputName reads \"" + answer.outputName + "\"";
    if (answer.mapToWorkspace) {
        text +=
            *answer.mapToWorkspace ? ", mapToWorkspace reads true" : ", mapToWorkspace reads false";
    } else {
        text += ", no mapToWorkspace";
    }
    if (!answer.error.empty()) {
        text += " (" + answer.error + ")";
    }
    return text;
}

}  // namespace

KWinTabletMapping::KWinTabletMapping(std::string tabletName, std::string busAddress)
    : tabletName_(std::move(tabletName)), busAddress_(std::move(busAddress)) {}

KWinTabletMapping::Answer KWinTabletMapping::mapToOutput(const std::string& eventNode,
                                                         const std::string& outputName) const {
    Answer answer;
    BusConnection connection;
    const int opened = openBus(busAddress_, connection);
    if (opened < 0) {
        DDLogDebug("mapToOutput(_:_:)", strf("No session bus (%s): the pen is left to the desktop",
                                             errnoText(-opened).c_str()));
        return answer;
    }
    const std::string sysName = eventNode.substr(eventNode.rfind('/') + 1);
    std::optional<bool> listed = listsDevice(connection.bus, sysName, answer.error);
    for (int attempt = 1; listed && !*listed && attempt < kListingAttempts; ++attempt) {
        const timespec pause{0, kListingPauseNanoseconds};
        nanosleep(&pause, nullptr);
        listed = listsDevice(connection.bus, sysName, answer.error);
    }
    if (!listed) {
        DDLogDebug("mapToOutput(_:_:)", "No KWin handles input on the session bus (" +
                                            answer.error + "): the pen spans the whole desktop");
        return answer;
    }
    const std::string path = std::string(kManagerPath) + "/" + sysName;
    if (!*listed) {
        answer.outcome = Outcome::refused;
        answer.error = "KWin does not list " + sysName;
    } else {
        // The workspace switch goes off first: where it is on, Plasma 6
        // ignores the output name.
        if (readMapToWorkspace(connection.bus, path).value_or(false)) {
            BusError ignored;  // what KWin reads back afterwards tells
            sd_bus_set_property(connection.bus, kService, path.c_str(), kDeviceInterface,
                                "mapToWorkspace", &ignored.error, "b", 0);
        }
        BusError failure;
        const int set =
            sd_bus_set_property(connection.bus, kService, path.c_str(), kDeviceInterface,
                                "outputName", &failure.error, "s", outputName.c_str());
        if (set < 0) {
            answer.error = failure.text(set);
        }
        answer.outputName = readOutputName(connection.bus, path, answer.error);
        answer.mapToWorkspace = readMapToWorkspace(connection.bus, path);
        answer.outcome = answer.outputName == outputName && !answer.mapToWorkspace.value_or(false)
                             ? Outcome::mapped
                             : Outcome::refused;
    }
    if (answer.outcome == Outcome::mapped) {
        DDLogInfo("mapToOutput(_:_:)",
                  strf("KWin maps the pen (%s) onto output %s: %s", sysName.c_str(),
                       outputName.c_str(), describeAnswer(answer).c_str()));
    } else {
        DDLogWarn("mapToOutput(_:_:)",
                  strf("KWin did not map the pen (%s) onto output %s: %s. The pen may land on "
                       "another display; map it by hand in System Settings, Drawing Tablet "
                       "(Graphic Tablet on Plasma 5): choose %s for the tablet \"%s\"",
                       sysName.c_str(), outputName.c_str(), describeAnswer(answer).c_str(),
                       outputName.c_str(), tabletName_.c_str()));
    }
    return answer;
}

}  // namespace drawlume
