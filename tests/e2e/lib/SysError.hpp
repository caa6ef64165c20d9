#pragma once

#include <string>

namespace drawlume::e2e {

// "call: strerror(errno)", for the reasons of failed checks.
std::string sysError(const std::string& call, int error);
std::string sysError(const std::string& call);

}  // namespace drawlume::e2e
