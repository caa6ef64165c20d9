#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace drawlume::e2e {

// Reads the companion's report descriptor from the annotated text the tests keep
// (tests/data/companion-descriptor.txt): the hex bytes before each '#'. Returns an
// empty vector and sets `error` when the file cannot be read or holds a non-hex word.
std::vector<uint8_t> readDescriptorFile(const std::string& path, std::string& error);

}  // namespace drawlume::e2e
