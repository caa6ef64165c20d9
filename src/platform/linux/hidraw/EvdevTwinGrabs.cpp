#include "platform/linux/hidraw/EvdevTwinGrabs.hpp"

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <linux/input.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace drawlume {

int EvdevTwinGrabs::grab(const std::string& devnode) {
    if (holds(devnode)) {
        return 0;
    }
    const int fd = ::open(devnode.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return errno;
    }
    if (::ioctl(fd, EVIOCGRAB, 1) != 0) {
        const int error = errno;
        ::close(fd);
        return error;
    }
    grabs_.emplace_back(devnode, fd);
    return 0;
}

bool EvdevTwinGrabs::holds(const std::string& devnode) const {
    return std::any_of(grabs_.begin(), grabs_.end(),
                       [&devnode](const auto& grab) { return grab.first == devnode; });
}

void EvdevTwinGrabs::release(const std::string& devnode) {
    const auto found = std::find_if(grabs_.begin(), grabs_.end(),
                                    [&devnode](const auto& grab) { return grab.first == devnode; });
    if (found != grabs_.end()) {
        ::close(found->second);
        grabs_.erase(found);
    }
}

void EvdevTwinGrabs::releaseAll() {
    for (const auto& grab : grabs_) {
        ::close(grab.second);
    }
    grabs_.clear();
}

}  // namespace drawlume
