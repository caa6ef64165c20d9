#pragma once

#include <string>
#include <vector>

#include "services/Workspace.hpp"

namespace drawlume {

// Records what would have been opened; answers `opens` (as a desktop without
// a file manager answers false).
class RecordingWorkspace final : public Workspace {
public:
    bool openFolder(const std::string& path) override {
        folders.push_back(path);
        return opens;
    }
    bool openAddress(const std::string& address) override {
        addresses.push_back(address);
        return true;
    }

    std::vector<std::string> folders;
    std::vector<std::string> addresses;
    bool opens = true;
};

}  // namespace drawlume
