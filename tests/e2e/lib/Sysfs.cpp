#include "Sysfs.hpp"

#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

namespace drawlume::e2e {
namespace {

namespace fs = std::filesystem;

// Sysfs directories vanish while we walk them when a device goes away: every walk
// uses the error_code overloads and treats a vanished entry as absent.
std::vector<fs::path> children(const fs::path& directory, const std::string& prefix) {
    std::vector<fs::path> found;
    std::error_code error;
    for (fs::directory_iterator it(directory, error), end; !error && it != end;
         it.increment(error)) {
        if (it->path().filename().string().rfind(prefix, 0) == 0) {
            found.push_back(it->path());
        }
    }
    return found;
}

bool nodeExists(const std::string& path) {
    return !path.empty() && access(path.c_str(), F_OK) == 0;
}

std::string devNodeOf(const fs::path& sysDevice) {
    const std::string name = ueventValue((sysDevice / "uevent").string(), "DEVNAME");
    return name.empty() ? std::string() : "/dev/" + name;
}

std::string eventNodeOf(const std::string& inputSysPath) {
    for (const fs::path& event : children(inputSysPath, "event")) {
        return devNodeOf(event);
    }
    return {};
}

std::string findHidDevice(const std::string& uniq) {
    for (const fs::path& link : children("/sys/bus/hid/devices", "")) {
        std::error_code error;
        const fs::path real = fs::canonical(link, error);
        if (!error && ueventValue((link / "uevent").string(), "HID_UNIQ") == uniq) {
            return real.string();
        }
    }
    return {};
}

std::vector<InputNode> findInputDevices(const std::string& name, const SysPathFilter& accept) {
    std::vector<InputNode> found;
    for (const fs::path& link : children("/sys/class/input", "input")) {
        std::error_code error;
        const fs::path real = fs::canonical(link, error);
        if (!error && readSmallFile((real / "name").string()) == name &&
            (!accept || accept(real.string()))) {
            found.push_back({name, real.string(), eventNodeOf(real.string())});
        }
    }
    return found;
}

}  // namespace

std::string readSmallFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    std::string value = text.str();
    while (!value.empty() && value.back() == '\n') {
        value.pop_back();
    }
    return value;
}

std::string ueventValue(const std::string& ueventPath, const std::string& key) {
    std::ifstream in(ueventPath);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(key + "=", 0) == 0) {
            return line.substr(key.size() + 1);
        }
    }
    return {};
}

const InputNode* CompanionNodes::twin(const std::string& suffix) const {
    for (const InputNode& node : twins) {
        if (node.name.ends_with(" " + suffix)) {
            return &node;
        }
    }
    return nullptr;
}

bool waitForCompanionNodes(const std::string& uniq, size_t twinCount, const Deadline& deadline,
                           CompanionNodes& nodes, std::string& error) {
    const bool complete = pollUntil(deadline, [&] {
        nodes = {findHidDevice(uniq), {}, {}};
        if (nodes.hidPath.empty()) {
            return false;
        }
        for (const fs::path& hidraw : children(fs::path(nodes.hidPath) / "hidraw", "hidraw")) {
            nodes.hidraw = devNodeOf(hidraw);
        }
        bool all = nodeExists(nodes.hidraw);
        for (const fs::path& input : children(fs::path(nodes.hidPath) / "input", "input")) {
            nodes.twins.push_back(
                {readSmallFile((input / "name").string()), input.string(), eventNodeOf(input)});
            all = all && nodeExists(nodes.twins.back().devNode);
        }
        return all && nodes.twins.size() == twinCount;
    });
    if (!complete) {
        error = "companion " + uniq + ": " +
                (nodes.hidPath.empty()
                     ? std::string("no hid device")
                     : "hidraw '" + nodes.hidraw + "', " + std::to_string(nodes.twins.size()) +
                           " of " + std::to_string(twinCount) + " twins") +
                " when the time ran out";
    }
    return complete;
}

bool waitForInputDevice(const std::string& name, const SysPathFilter& accept,
                        const Deadline& deadline, InputNode& node, std::string& error) {
    size_t count = 0;
    const bool found = pollUntil(deadline, [&] {
        const std::vector<InputNode> devices = findInputDevices(name, accept);
        count = devices.size();
        if (count == 1 && nodeExists(devices.front().devNode)) {
            node = devices.front();
            return true;
        }
        return false;
    });
    if (!found) {
        error = "input device '" + name + "': " + std::to_string(count) +
                " found when the time ran out";
    }
    return found;
}

SysPathFilter onlyUinputDevices() {
    return [](const std::string& sysPath) {
        return sysPath.rfind("/sys/devices/virtual/input/", 0) == 0;
    };
}

SysPathFilter notUnder(const std::string& parent) {
    return [parent](const std::string& sysPath) { return sysPath.rfind(parent, 0) != 0; };
}

}  // namespace drawlume::e2e
