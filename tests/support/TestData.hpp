#pragma once

#include <cctype>
#include <cstdint>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "TempDirectory.hpp"

namespace drawlume::testing {

// tests/data/ of the source tree; the test target defines where it is.
inline std::filesystem::path testDataPath(const std::string& name) {
    return std::filesystem::path(DRAWLUME_TEST_DATA_DIR) / name;
}

// The bytes of an annotated hex listing: on each line, the hex pairs before
// any '#'.
inline std::vector<uint8_t> hexBytes(const std::string& listing) {
    std::vector<uint8_t> bytes;
    std::istringstream lines(listing);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line.substr(0, line.find('#')));
        std::string word;
        while (words >> word) {
            bytes.push_back(static_cast<uint8_t>(std::stoul(word, nullptr, 16)));
        }
    }
    return bytes;
}

}  // namespace drawlume::testing
