#include <array>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "localization/AppLocalization.hpp"

namespace drawlume {
namespace {

class AppLocalizationTest : public ::testing::Test {
protected:
    AppLocalization make(const std::vector<std::string>& system = {"en_US"},
                         const StringTableCatalog& tables = StringTableCatalog::embedded()) {
        return AppLocalization(defaults_, tables, [system] { return system; });
    }
    std::optional<DefaultsValue> stored() const {
        return defaults_->object(AppLocalization::selectedLanguageKey);
    }
    void store(std::string text) {
        defaults_->set(AppLocalization::selectedLanguageKey, std::move(text));
    }

    std::shared_ptr<InMemoryUserDefaults> defaults_ = std::make_shared<InMemoryUserDefaults>();
};

TEST_F(AppLocalizationTest, StoredChoiceSelectsTheLanguagePersistsAndAnythingElseIsAutomatic) {
    EXPECT_EQ(make().selectedLanguage().get(), AppLanguage::automatic);
    store("klingon");
    EXPECT_EQ(make().selectedLanguage().get(), AppLanguage::automatic);
    store("zh-Hant");
    EXPECT_EQ(make().selectedLanguage().get(), AppLanguage::traditionalChinese);

    // A choice persists; automatic removes the key.
    AppLocalization localization = make();
    localization.setLanguage(AppLanguage::korean);
    EXPECT_EQ(stored(), DefaultsValue(std::string("ko")));
    EXPECT_EQ(make().selectedLanguage().get(), AppLanguage::korean);
    localization.setLanguage(AppLanguage::automatic);
    EXPECT_EQ(stored(), std::nullopt);
}

TEST_F(AppLocalizationTest, AutomaticFollowsTheFirstSystemLanguageThatIsCarried) {
    EXPECT_EQ(make({"zh_CN"}).currentLanguageCode(), "zh-Hans");
    EXPECT_EQ(make({"zh_Hans_CN"}).currentLanguageCode(), "zh-Hans");
    EXPECT_EQ(make({"zh-Hant-TW"}).currentLanguageCode(), "zh-Hant");
    EXPECT_EQ(make({"pt-BR"}).currentLanguageCode(), "pt");
    EXPECT_EQ(make({"fr", "@@\xff", "de", "ja_JP"}).currentLanguageCode(), "ja");
    EXPECT_EQ(make({}).currentLanguageCode(), "en");

    AppLocalization chosen = make({"ja_JP"});
    chosen.setLanguage(AppLanguage::russian);
    EXPECT_EQ(chosen.currentLanguageCode(), "ru");
    EXPECT_EQ(chosen.localized("about.close"),
              "\xD0\x97\xD0\xB0\xD0\xBA\xD1\x80\xD1\x8B\xD1\x82\xD1\x8C");  // Закрыть
}

TEST_F(AppLocalizationTest, MissingKeysFallBackAndAMissingFolderUsesTheDefaultTables) {
    const std::array<EmbeddedStringTable, 2> sources = {{
        {"Base", "\"menu.quit\" = \"Quit (default)\";"},
        {"ko", "\"menu.quit\" = \"Quit (ko)\";"},
    }};
    const StringTableCatalog tables(sources);
    EXPECT_EQ(make({"ko_KR"}, tables).localized("menu.quit"), "Quit (ko)");
    // "fr" resolves to "en", which has no folder here.
    AppLocalization english = make({"fr"}, tables);
    EXPECT_EQ(english.currentLanguageCode(), "en");
    EXPECT_EQ(english.localized("menu.quit"), "Quit (default)");
    EXPECT_EQ(english.localized("menu.open", "Open"), "Open");
    EXPECT_EQ(english.localized("menu.open"), "menu.open");
    EXPECT_EQ(english.bundle("en"), nullptr);
    EXPECT_EQ(english.carriedLanguages(), std::vector<std::string>{"ko"});
}

}  // namespace
}  // namespace drawlume
