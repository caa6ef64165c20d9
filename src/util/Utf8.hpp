#pragma once

#include <cstddef>
#include <string_view>

namespace drawlume {

// Whether the bytes are well-formed UTF-8 (no overlong forms, no surrogates,
// nothing above U+10FFFF). When not, offset tells where the bad sequence starts.
bool isValidUtf8(std::string_view text, size_t* offset = nullptr);

// The longest prefix of at most maxBytes bytes that does not cut a character
// of well-formed UTF-8 in two.
size_t utf8PrefixLength(std::string_view text, size_t maxBytes);

}  // namespace drawlume
