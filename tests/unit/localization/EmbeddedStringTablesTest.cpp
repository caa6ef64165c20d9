#include <array>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "localization/CheckedFormat.hpp"
#include "localization/StringTableCatalog.hpp"

namespace drawlume {
namespace {

// Every key the program looks up.
const std::vector<std::string> kKeys = {
    "app.name",
    "about.version",
    "about.website.label",
    "about.website.url",
    "about.close",
    "window.main.title",
    "window.about.title",
    "menu.about",
    "menu.check_for_updates",
    "menu.open",
    "menu.log_folder",
    "menu.start_at_login",
    "menu.quit",
    "menu.exit",
    "tooltip.tray",
    "alert.minimize.message",
    "alert.minimize.info",
    "alert.minimize.button",
    "alert.device_error.title",
    "alert.device_error.ok",
    "language.selection.title",
    "language.option.system",
    "content.status.label",
    "content.status.running",
    "content.status.stopped",
    "content.permissions.title",
    "content.permissions.instructions",
    "content.permissions.button",
    "device.selection.title",
    "device.selection.description",
    "device.selection.waiting",
    "device.selection.service_not_running",
    "display.target.title",
    "display.target.description",
    "display.target.monitor.format",
    "content.notice.title",
    "content.notice.message",
    "debug.logs.title",
    "debug.logs.events_per_second",
    "debug.logs.clear",
};

std::vector<std::string> allTables() {
    std::vector<std::string> codes = StringTableCatalog::embedded().localizations();
    codes.emplace_back(StringTableCatalog::kBaseCode);
    return codes;
}

TEST(EmbeddedStringTablesTest, CarriesTheEightLanguagesAndNeverOffersBase) {
    const StringTableCatalog& catalog = StringTableCatalog::embedded();
    EXPECT_EQ(catalog.localizations(),
              (std::vector<std::string>{"en", "es", "ja", "ko", "pt", "ru", "zh-Hans", "zh-Hant"}));
    EXPECT_NE(catalog.defaultTable(), nullptr);
    EXPECT_EQ(catalog.problems(), std::vector<std::string>{});
}

TEST(EmbeddedStringTablesTest, EveryTableHasEveryKeyAndNoOther) {
    const StringTableCatalog& catalog = StringTableCatalog::embedded();
    std::vector<std::string> sortedKeys = kKeys;
    std::sort(sortedKeys.begin(), sortedKeys.end());
    for (const std::string& code : allTables()) {
        const StringTable* table = catalog.table(code);
        ASSERT_NE(table, nullptr) << code;
        EXPECT_EQ(table->keys(), sortedKeys) << code;
        for (const std::string& key : kKeys) {
            const std::string* text = table->find(key);
            EXPECT_TRUE(text != nullptr && !text->empty()) << code << " " << key;
        }
    }
}

TEST(EmbeddedStringTablesTest, EveryFormatTextFitsItsArguments) {
    const StringTableCatalog& catalog = StringTableCatalog::embedded();
    const std::array<FormatArgument, 2> version = {std::string_view("1.2"), std::string_view("45")};
    const std::array<FormatArgument, 3> monitor = {int64_t{2}, int64_t{2560}, int64_t{1440}};
    const std::array<FormatArgument, 1> rate = {int64_t{120}};
    for (const std::string& code : allTables()) {
        const StringTable& table = *catalog.table(code);
        std::string problem;
        EXPECT_TRUE(formatChecked(*table.find("about.version"), version, &problem))
            << code << ": " << problem;
        EXPECT_TRUE(formatChecked(*table.find("display.target.monitor.format"), monitor, &problem))
            << code << ": " << problem;
        EXPECT_TRUE(formatChecked(*table.find("debug.logs.events_per_second"), rate, &problem))
            << code << ": " << problem;
    }
}

}  // namespace
}  // namespace drawlume
