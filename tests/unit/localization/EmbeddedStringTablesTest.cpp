#include <array>
#include <string>
#include <utility>
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
    "permission.reason.missing",
    "permission.reason.denied",
    "permission.reason.failed",
    "permission.reason.companion",
    "permission.help.title",
    "permission.help.intro",
    "permission.help.package",
    "permission.help.relogin",
    "permission.help.check_again",
    "update.available.title",
    "update.available.info",
    "update.current.title",
    "update.current.info",
    "update.failed.title",
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
    const FormatArgument text = std::string_view("1.2");
    const FormatArgument number = int64_t{2};
    const std::vector<std::pair<std::string, std::vector<FormatArgument>>> formats = {
        {"about.version", {text, text}},
        {"display.target.monitor.format", {number, number, number}},
        {"debug.logs.events_per_second", {number}},
        {"permission.reason.missing", {text}},
        {"permission.reason.denied", {text}},
        {"permission.reason.failed", {text}},
        {"permission.reason.companion", {text}},
        {"update.available.info", {text, text, text}},
        {"update.current.info", {text}},
    };
    const StringTableCatalog& catalog = StringTableCatalog::embedded();
    for (const std::string& code : allTables()) {
        const StringTable& table = *catalog.table(code);
        for (const auto& [key, arguments] : formats) {
            std::string problem;
            EXPECT_TRUE(formatChecked(*table.find(key), arguments, &problem))
                << code << " " << key << ": " << problem;
        }
    }
}

}  // namespace
}  // namespace drawlume
