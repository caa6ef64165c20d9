#include "platform/linux/hidraw/HidSysfs.hpp"

#include <algorithm>
#include <array>
#include <cerrno>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

namespace drawlume {

namespace {

namespace fs = std::filesystem;

// sysfs attributes are at most a page; a report descriptor at most 4096 bytes.
constexpr size_t kMaximumAttributeBytes = 64 * 1024;

// The whole of a small file, read with plain system calls: no exception (a
// stream throws on a directory), no wait (a FIFO in a copied tree), nothing
// past the bound.
std::optional<std::string> readWholeFile(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return std::nullopt;
    }
    std::string content;
    std::array<char, 4096> chunk{};
    bool failed = false;
    while (content.size() <= kMaximumAttributeBytes) {
        const ssize_t got = ::read(fd, chunk.data(), chunk.size());
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            failed = got < 0;
            break;
        }
        content.append(chunk.data(), static_cast<size_t>(got));
    }
    ::close(fd);
    if (failed || content.size() > kMaximumAttributeBytes) {
        return std::nullopt;
    }
    return content;
}

// A text attribute without its closing line feed.
std::string readAttribute(const fs::path& path) {
    std::string value = readWholeFile(path).value_or("");
    while (!value.empty() && (value.back() == '\n' || value.back() == '\r')) {
        value.pop_back();
    }
    return value;
}

}  // namespace

std::optional<UeventFields> HidSysfs::readUevent(const fs::path& deviceDirectory) {
    const auto content = readWholeFile(deviceDirectory / "uevent");
    if (!content) {
        return std::nullopt;
    }
    UeventFields fields;
    size_t start = 0;
    while (start < content->size()) {
        size_t end = content->find('\n', start);
        if (end == std::string::npos) {
            end = content->size();
        }
        const std::string_view line(content->data() + start, end - start);
        const size_t equals = line.find('=');
        if (equals != std::string_view::npos) {
            fields.insert_or_assign(std::string(line.substr(0, equals)),
                                    std::string(line.substr(equals + 1)));
        }
        start = end + 1;
    }
    return fields;
}

std::optional<std::vector<uint8_t>> HidSysfs::readReportDescriptor(const fs::path& hidDirectory) {
    const auto content = readWholeFile(hidDirectory / "report_descriptor");
    if (!content) {
        return std::nullopt;
    }
    return std::vector<uint8_t>(content->begin(), content->end());
}

std::optional<UsbStrings> HidSysfs::readUsbStrings(const fs::path& hidDirectory) {
    for (fs::path directory = hidDirectory.parent_path();
         !directory.empty() && directory != directory.parent_path();
         directory = directory.parent_path()) {
        const auto uevent = readUevent(directory);
        if (!uevent) {
            continue;
        }
        const auto devtype = uevent->find("DEVTYPE");
        if (devtype != uevent->end() && devtype->second == "usb_device") {
            return UsbStrings{readAttribute(directory / "manufacturer"),
                              readAttribute(directory / "product"),
                              readAttribute(directory / "serial")};
        }
    }
    return std::nullopt;
}

std::vector<std::string> HidSysfs::evdevTwinNodes(const fs::path& hidDirectory,
                                                  const fs::path& devRoot) {
    std::vector<std::string> nodes;
    std::error_code error;
    // hid device -> input/inputN -> eventM, each eventM naming its node in uevent.
    for (const auto& input : fs::directory_iterator(hidDirectory / "input", error)) {
        std::error_code inner;
        for (const auto& child : fs::directory_iterator(input.path(), inner)) {
            if (child.path().filename().string().rfind("event", 0) != 0) {
                continue;
            }
            const auto uevent = readUevent(child.path());
            const auto name = uevent ? uevent->find("DEVNAME") : UeventFields::const_iterator{};
            if (uevent && name != uevent->end() && !name->second.empty()) {
                nodes.push_back((devRoot / name->second).string());
            }
        }
    }
    std::sort(nodes.begin(), nodes.end());
    return nodes;
}

}  // namespace drawlume
