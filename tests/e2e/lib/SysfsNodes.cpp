#include "SysfsNodes.hpp"

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

constexpr int kPollMs = 5;

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
    const std::string prefix = key + "=";
    while (std::getline(in, line)) {
        if (line.rfind(prefix, 0) == 0) {
            return line.substr(prefix.size());
        }
    }
    return {};
}

const InputNode* CompanionNodes::twin(const std::string& suffix) const {
    const std::string tail = " " + suffix;
    for (const InputNode& node : twins) {
        if (node.name.size() >= tail.size() &&
            node.name.compare(node.name.size() - tail.size(), tail.size(), tail) == 0) {
            return &node;
        }
    }
    return nullptr;
}

std::string findHidDevice(const std::string& uniq) {
    for (const fs::path& link : children("/sys/bus/hid/devices", "")) {
        if (ueventValue((link / "uevent").string(), "HID_UNIQ") == uniq) {
            std::error_code error;
            const fs::path real = fs::canonical(link, error);
            if (!error) {
                return real.string();
            }
        }
    }
    return {};
}

std::string eventNodeOf(const std::string& inputSysPath) {
    for (const fs::path& event : children(inputSysPath, "event")) {
        return devNodeOf(event);
    }
    return {};
}

CompanionNodes readCompanionNodes(const std::string& hidPath) {
    CompanionNodes nodes;
    nodes.hidPath = hidPath;
    for (const fs::path& hidraw : children(fs::path(hidPath) / "hidraw", "hidraw")) {
        nodes.hidraw = devNodeOf(hidraw);
    }
    for (const fs::path& input : children(fs::path(hidPath) / "input", "input")) {
        nodes.twins.push_back(
            {readSmallFile((input / "name").string()), input.string(), eventNodeOf(input)});
    }
    return nodes;
}

bool waitForCompanionNodes(const std::string& uniq, size_t twinCount, const Deadline& deadline,
                           CompanionNodes& nodes, std::string& error) {
    while (true) {
        const std::string hidPath = findHidDevice(uniq);
        if (!hidPath.empty()) {
            nodes = readCompanionNodes(hidPath);
            bool complete = nodeExists(nodes.hidraw) && nodes.twins.size() == twinCount;
            for (const InputNode& twin : nodes.twins) {
                complete = complete && nodeExists(twin.devNode);
            }
            if (complete) {
                return true;
            }
        }
        if (deadline.expired()) {
            error = "companion " + uniq + ": " +
                    (hidPath.empty()
                         ? std::string("no hid device")
                         : "hidraw '" + nodes.hidraw + "', " + std::to_string(nodes.twins.size()) +
                               " of " + std::to_string(twinCount) + " twins") +
                    " when the time ran out";
            return false;
        }
        sleepMs(kPollMs);
    }
}

bool waitForCompanionGone(const std::string& uniq, const std::vector<std::string>& devNodes,
                          const Deadline& deadline, std::string& error) {
    while (true) {
        bool gone = findHidDevice(uniq).empty();
        for (const std::string& node : devNodes) {
            gone = gone && !nodeExists(node);
        }
        if (gone) {
            return true;
        }
        if (deadline.expired()) {
            error = "companion " + uniq + " or one of its nodes still there when the time ran out";
            return false;
        }
        sleepMs(kPollMs);
    }
}

bool waitForEventNode(const std::string& inputSysPath, const Deadline& deadline, std::string& node,
                      std::string& error) {
    while (!nodeExists(node = eventNodeOf(inputSysPath))) {
        if (deadline.expired()) {
            error = "no event node under " + inputSysPath;
            return false;
        }
        sleepMs(kPollMs);
    }
    return true;
}

SysPathFilter onlyUinputDevices() {
    return [](const std::string& sysPath) {
        return sysPath.rfind("/sys/devices/virtual/input/", 0) == 0;
    };
}

SysPathFilter notUnder(const std::string& parent) {
    return [parent](const std::string& sysPath) { return sysPath.rfind(parent, 0) != 0; };
}

std::vector<InputNode> findInputDevices(const std::string& name, const SysPathFilter& accept) {
    std::vector<InputNode> found;
    for (const fs::path& link : children("/sys/class/input", "input")) {
        std::error_code error;
        const fs::path real = fs::canonical(link, error);
        if (error || readSmallFile((real / "name").string()) != name) {
            continue;
        }
        if (accept && !accept(real.string())) {
            continue;
        }
        found.push_back({name, real.string(), eventNodeOf(real.string())});
    }
    return found;
}

bool waitForInputDevice(const std::string& name, const SysPathFilter& accept,
                        const Deadline& deadline, InputNode& node, std::string& error) {
    while (true) {
        const std::vector<InputNode> found = findInputDevices(name, accept);
        if (found.size() == 1 && nodeExists(found.front().devNode)) {
            node = found.front();
            return true;
        }
        if (deadline.expired()) {
            error = "input device '" + name + "': " + std::to_string(found.size()) +
                    " found when the time ran out";
            return false;
        }
        sleepMs(kPollMs);
    }
}

}  // namespace drawlume::e2e
