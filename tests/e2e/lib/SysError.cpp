#include "SysError.hpp"

#include <cerrno>
#include <system_error>

namespace drawlume::e2e {

std::string sysError(const std::string& call, int error) {
    // The category's message, unlike strerror, is safe from any thread.
    return call + ": " + std::generic_category().message(error);
}

std::string sysError(const std::string& call) {
    return sysError(call, errno);
}

}  // namespace drawlume::e2e
