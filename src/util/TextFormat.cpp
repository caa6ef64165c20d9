#include "util/TextFormat.hpp"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace drawlume {

std::string strf(const char* format, ...) {
    char small[256];
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    std::string text;
    if (length < 0) {
        va_end(again);
        return text;
    }
    if (static_cast<size_t>(length) < sizeof small) {
        text.assign(small, static_cast<size_t>(length));
    } else {
        text.resize(static_cast<size_t>(length));
        std::vsnprintf(text.data(), text.size() + 1, format, again);
    }
    va_end(again);
    return text;
}

std::string errnoText(int error) {
    char buffer[128];
    // The GNU strerror_r returns the text, which may or may not be our buffer.
    return strerror_r(error, buffer, sizeof buffer);
}

}  // namespace drawlume
