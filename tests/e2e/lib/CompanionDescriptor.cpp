#include "CompanionDescriptor.hpp"

#include <fstream>
#include <sstream>

namespace drawlume::e2e {

std::vector<uint8_t> readDescriptorFile(const std::string& path, std::string& error) {
    std::ifstream in(path);
    if (!in) {
        error = "cannot read " + path;
        return {};
    }
    std::vector<uint8_t> bytes;
    std::string line;
    int lineNumber = 0;
    while (std::getline(in, line)) {
        ++lineNumber;
        std::istringstream words(line.substr(0, line.find('#')));
        std::string word;
        while (words >> word) {
            size_t used = 0;
            unsigned long value = 0;
            try {
                value = std::stoul(word, &used, 16);
            } catch (const std::exception&) {
                used = 0;
            }
            if (used != word.size() || word.size() > 2 || value > 0xff) {
                error = path + ":" + std::to_string(lineNumber) + ": not a hex byte: " + word;
                return {};
            }
            bytes.push_back(static_cast<uint8_t>(value));
        }
    }
    if (bytes.empty()) {
        error = path + " holds no descriptor bytes";
    }
    return bytes;
}

}  // namespace drawlume::e2e
