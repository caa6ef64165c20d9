#include "util/Utf8.hpp"

#include <cstdint>

namespace drawlume {

namespace {

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// The length of the well-formed sequence at the start of text, or 0.
size_t sequenceLength(std::string_view text) {
    const auto first = static_cast<unsigned char>(text[0]);
    if (first < 0x80) {
        return 1;
    }
    size_t length = 0;
    uint32_t lowest = 0;
    uint32_t code = 0;
    if ((first & 0xE0) == 0xC0) {
        length = 2;
        lowest = 0x80;
        code = first & 0x1F;
    } else if ((first & 0xF0) == 0xE0) {
        length = 3;
        lowest = 0x800;
        code = first & 0x0F;
    } else if ((first & 0xF8) == 0xF0) {
        length = 4;
        lowest = 0x10000;
        code = first & 0x07;
    } else {
        return 0;
    }
    if (text.size() < length) {
        return 0;
    }
    for (size_t at = 1; at < length; ++at) {
        const auto byte = static_cast<unsigned char>(text[at]);
        if (!isContinuation(byte)) {
            return 0;
        }
        code = (code << 6) | (byte & 0x3F);
    }
    if (code < lowest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return 0;
    }
    return length;
}

}  // namespace

bool isValidUtf8(std::string_view text, size_t* offset) {
    size_t at = 0;
    while (at < text.size()) {
        const size_t length = sequenceLength(text.substr(at));
        if (length == 0) {
            if (offset != nullptr) {
                *offset = at;
            }
            return false;
        }
        at += length;
    }
    return true;
}

size_t utf8PrefixLength(std::string_view text, size_t maxBytes) {
    if (maxBytes >= text.size()) {
        return text.size();
    }
    size_t end = maxBytes;
    while (end > 0 && isContinuation(static_cast<unsigned char>(text[end]))) {
        --end;
    }
    return end;
}

}  // namespace drawlume
