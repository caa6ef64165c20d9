#include <array>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "displays/MonitorInfo.hpp"
#include "localization/AppLocalization.hpp"

namespace drawlume {
namespace {

TEST(MonitorInfoTest, DisplayNameFillsTheTableFormatWithTruncatedSizes) {
    const std::array<EmbeddedStringTable, 1> sources = {{
        {"en", "\"display.target.monitor.format\" = \"%d|%d|%d\";"},
    }};
    const StringTableCatalog tables(sources);
    AppLocalization localization(std::make_shared<InMemoryUserDefaults>(), tables,
                                 [] { return std::vector<std::string>{"en"}; });
    EXPECT_EQ((MonitorInfo{1, "Monitor 2", {{0, 0}, {2560.7, 1440.2}}}.displayName(localization)),
              "2|2560|1440");
    EXPECT_EQ((MonitorInfo{0, "Monitor 1", {{0, 0}, {-3.9, 0.99}}}.displayName(localization)),
              "1|-3|0");
}

}  // namespace
}  // namespace drawlume
