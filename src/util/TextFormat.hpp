#pragma once

#include <string>

namespace drawlume {

// printf-style formatting into a std::string, checked by the compiler. Log
// call sites use it only after the level test, so dropped lines cost nothing.
std::string strf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The text of an errno value, as strerror gives it, without its thread-safety trap.
std::string errnoText(int error);

}  // namespace drawlume
