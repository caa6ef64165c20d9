#include <array>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "localization/CheckedFormat.hpp"
#include "localization/StringTableCatalog.hpp"

namespace drawlume {
namespace {

std::vector<std::string> allTables() {
    std::vector<std::string> codes = StringTableCatalog::embedded().localizations();
    codes.emplace_back(StringTableCatalog::kBaseCode);
    return codes;
}

TEST(EmbeddedStringTablesTest, EightLanguagesEachWithTheDefaultTablesKeysAndNoOther) {
    const StringTableCatalog& catalog = StringTableCatalog::embedded();
    EXPECT_EQ(catalog.localizations(),
              (std::vector<std::string>{"en", "es", "ja", "ko", "pt", "ru", "zh-Hans", "zh-Hant"}));
    EXPECT_EQ(catalog.problems(), std::vector<std::string>{});
    ASSERT_NE(catalog.defaultTable(), nullptr);
    const std::vector<std::string> keys = catalog.defaultTable()->keys();
    // An emptied default table fails EveryFormatTextFitsItsArguments, which looks its keys up.
    for (const std::string& code : allTables()) {
        const StringTable* table = catalog.table(code);
        ASSERT_NE(table, nullptr) << code;
        EXPECT_EQ(table->keys(), keys) << code;
        for (const std::string& key : keys) {
            EXPECT_FALSE(table->find(key)->empty()) << code << " " << key;
        }
    }
}

TEST(EmbeddedStringTablesTest, EveryFormatTextFitsItsArguments) {
    const FormatArgument text = std::string_view("1.2");
    const FormatArgument number = int64_t{2};
    const std::vector<std::pair<std::string, std::vector<FormatArgument>>> formats = {
        {"about.version", {text, text}},
        {"display.target.monitor.format", {number, number, number}},
        {"debug.logs.events_per_second", {number}},
        {"permission.reason.missing", {text}},
        {"permission.reason.denied", {text}},
        {"permission.reason.failed", {text}},
        {"permission.reason.unusable", {text}},
        {"permission.reason.companion", {text}},
        {"update.available.info", {text, text, text}},
        {"update.current.info", {text}},
    };
    const StringTableCatalog& catalog = StringTableCatalog::embedded();
    for (const std::string& code : allTables()) {
        const StringTable& table = *catalog.table(code);
        for (const auto& [key, arguments] : formats) {
            std::string problem;
            ASSERT_NE(table.find(key), nullptr) << code << " " << key;
            EXPECT_TRUE(formatChecked(*table.find(key), arguments, &problem))
                << code << " " << key << ": " << problem;
        }
    }
}

}  // namespace
}  // namespace drawlume
