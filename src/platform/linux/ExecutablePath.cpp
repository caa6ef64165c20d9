#include "platform/linux/ExecutablePath.hpp"

#include <array>

#include <unistd.h>

namespace drawlume {

std::string executablePath() {
    std::array<char, 4096> path{};
    const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size() - 1);
    if (length <= 0) {
        return "drawlume-agent";
    }
    return std::string(path.data(), static_cast<size_t>(length));
}

}  // namespace drawlume
