#pragma once

#include <string>

namespace drawlume {

// The value of an environment variable when it is an absolute path, else
// empty: the XDG rules say a relative value must be ignored.
std::string absoluteEnvironment(const char* name);

// $HOME when it is absolute, else the home directory of the user's password
// entry; empty when neither names one.
std::string homeDirectory();

// An XDG base directory: $variable when it is absolute, else the home
// directory joined with fallback (".config", ".local/state"); empty when
// there is no home directory either.
std::string xdgBaseDirectory(const char* variable, const char* fallback);

}  // namespace drawlume
