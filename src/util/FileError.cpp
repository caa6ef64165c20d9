#include "util/FileError.hpp"

#include "util/TextFormat.hpp"

namespace drawlume {

std::string FileError::describe() const {
    if (!failed()) {
        return {};
    }
    return std::string(operation) + ": " + errnoText(code);
}

}  // namespace drawlume
