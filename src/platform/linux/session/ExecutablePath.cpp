#include "platform/linux/session/ExecutablePath.hpp"

#include <array>
#include <filesystem>
#include <system_error>

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

std::string helperProgramPath(const std::string& name) {
    const std::filesystem::path folder = std::filesystem::path(executablePath()).parent_path();
    std::error_code error;
    if (std::filesystem::exists(folder / name, error)) {
        return (folder / name).string();
    }
    return (folder.parent_path() / "lib" / "drawlume-agent" / name).lexically_normal().string();
}

}  // namespace drawlume
