#pragma once

#include <string>

namespace drawlume {

// Opening things with the desktop's own programs: a folder in the file
// browser, an address in the web browser. Main thread only.
class Workspace {
public:
    virtual ~Workspace() = default;
    virtual bool openFolder(const std::string& path) = 0;
    virtual bool openAddress(const std::string& address) = 0;
};

}  // namespace drawlume
