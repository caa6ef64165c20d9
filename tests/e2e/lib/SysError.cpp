#include "SysError.hpp"

#include <cerrno>
#include <cstring>

namespace drawlume::e2e {

std::string sysError(const std::string& call, int error) {
    return call + ": " + std::strerror(error);
}

std::string sysError(const std::string& call) {
    return sysError(call, errno);
}

}  // namespace drawlume::e2e
