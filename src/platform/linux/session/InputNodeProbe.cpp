#include "platform/linux/session/InputNodeProbe.hpp"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace drawlume {

namespace {

// Bluetooth HID devices carry HID_ID=0005:<vendor>:<product> in their uevent.
bool isBluetoothHid(const std::filesystem::path& hidDevice) {
    std::ifstream uevent(hidDevice / "uevent");
    std::string line;
    while (std::getline(uevent, line)) {
        if (line.rfind("HID_ID=", 0) == 0) {
            return line.compare(7, 5, "0005:") == 0;
        }
    }
    return false;
}

std::vector<std::string> sortedEntries(const std::filesystem::path& directory,
                                       const std::string& prefix) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(directory, error)) {
        std::string name = entry.path().filename().string();
        if (name.rfind(prefix, 0) == 0) {
            names.push_back(std::move(name));
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

SystemInputNodeProbe::SystemInputNodeProbe(std::string sysRoot, std::string devRoot)
    : sysRoot_(std::move(sysRoot)), devRoot_(std::move(devRoot)) {}

int SystemInputNodeProbe::openForWriting(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return errno;
    }
    ::close(fd);
    return 0;
}

int SystemInputNodeProbe::checkReadable(const std::string& path) {
    return ::faccessat(AT_FDCWD, path.c_str(), R_OK, AT_EACCESS) == 0 ? 0 : errno;
}

std::string SystemInputNodeProbe::owningGroup(const std::string& path) {
    struct stat status = {};
    if (::stat(path.c_str(), &status) != 0 || status.st_gid == 0) {
        return {};
    }
    group entry = {};
    group* found = nullptr;
    std::vector<char> buffer(16384);
    if (::getgrgid_r(status.st_gid, &entry, buffer.data(), buffer.size(), &found) != 0 ||
        found == nullptr) {
        return {};
    }
    return entry.gr_name;
}

std::vector<std::string> SystemInputNodeProbe::companionNodes() {
    const std::filesystem::path hidraw = std::filesystem::path(sysRoot_) / "class" / "hidraw";
    std::vector<std::string> nodes;
    for (const std::string& name : sortedEntries(hidraw, "hidraw")) {
        const std::filesystem::path hidDevice = hidraw / name / "device";
        if (!isBluetoothHid(hidDevice)) {
            continue;
        }
        nodes.push_back(devRoot_ + "/" + name);
        // The kernel's own input devices of the same HID device: the agent
        // seizes them so that the desktop does not see every report twice.
        for (const std::string& input : sortedEntries(hidDevice / "input", "input")) {
            for (const std::string& event : sortedEntries(hidDevice / "input" / input, "event")) {
                nodes.push_back(devRoot_ + "/input/" + event);
            }
        }
    }
    return nodes;
}

}  // namespace drawlume
