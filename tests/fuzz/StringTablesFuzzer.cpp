// The string-table parser and the checked formatter on any bytes: neither
// may crash, and no table text may make the formatter read past its arguments.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "localization/CheckedFormat.hpp"
#include "localization/StringTable.hpp"

namespace {

using drawlume::FormatArgument;

void formatEveryWay(std::string_view format) {
    static const std::array<FormatArgument, 3> integers = {int64_t{-1}, int64_t{2560},
                                                           int64_t{INT64_MIN}};
    static const std::array<FormatArgument, 2> texts = {std::string_view("1.0"),
                                                        std::string_view("\xC3\xA9t\xC3\xA9")};
    static const std::array<FormatArgument, 3> mixed = {1.5e300, std::string_view(), int64_t{42}};
    for (size_t count = 0; count <= 3; ++count) {
        (void)drawlume::formatChecked(format, std::span(integers).first(count));
        (void)drawlume::formatChecked(format, std::span(mixed).first(count));
    }
    (void)drawlume::formatChecked(format, texts);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const drawlume::StringTable::ParseResult parsed = drawlume::StringTable::parse(text);
    for (const std::string& key : parsed.table.keys()) {
        formatEveryWay(*parsed.table.find(key));
    }
    formatEveryWay(text);
    return 0;
}
