#include "util/TextFormat.hpp"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace drawlume {

std::string strf(const char* format, ...) {
    char small[256];
    va_list args;
    va_start(args, format);
    // NOLINTNEXTLINE(clang-analyzer-valist.Uninitialized): va_start above; the checker misreads it.
    const int length = vsnprintf(small, sizeof small, format, args);
    va_end(args);
    if (length < 0) {
        return {};
    }
    if (static_cast<size_t>(length) < sizeof small) {
        return std::string(small, static_cast<size_t>(length));
    }
    std::string text(static_cast<size_t>(length), '\0');
    va_start(args, format);
    vsnprintf(text.data(), text.size() + 1, format, args);
    va_end(args);
    return text;
}

std::string errnoText(int error) {
    char buffer[128];
    // The GNU strerror_r returns the text, which may or may not be our buffer.
    return strerror_r(error, buffer, sizeof buffer);
}

}  // namespace drawlume
