#pragma once

#include <string>
#include <utility>
#include <vector>

namespace drawlume {

// The evdev nodes that the kernel's hid-input made for a device we seize,
// each opened and grabbed so that the desktop does not see the device's input
// a second time. Closing a node releases its grab.
class EvdevTwinGrabs {
public:
    EvdevTwinGrabs() = default;
    ~EvdevTwinGrabs() { releaseAll(); }
    EvdevTwinGrabs(const EvdevTwinGrabs&) = delete;
    EvdevTwinGrabs& operator=(const EvdevTwinGrabs&) = delete;

    // 0 when the node is grabbed (or already was), else the errno of the
    // failing open or EVIOCGRAB; EBUSY means another program holds the grab.
    int grab(const std::string& devnode);
    bool holds(const std::string& devnode) const;
    void release(const std::string& devnode);
    void releaseAll();
    size_t count() const { return grabs_.size(); }

private:
    // Node path and the descriptor that holds its grab.
    std::vector<std::pair<std::string, int>> grabs_;
};

}  // namespace drawlume
