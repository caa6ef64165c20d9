#pragma once

#include <cstddef>
#include <span>
#include <string_view>

namespace drawlume {

// One resources/strings/<code>.lproj/Localizable.strings file, compiled into
// the program by the build (the source is generated from the files).
struct EmbeddedStringTable {
    std::string_view code;
    std::string_view text;
};

// Every table, in the order of their folder names.
std::span<const EmbeddedStringTable> embeddedStringTables();

}  // namespace drawlume
