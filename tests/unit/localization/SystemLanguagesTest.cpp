#include <gtest/gtest.h>

#include "localization/SystemLanguages.hpp"

namespace drawlume {
namespace {

using Languages = std::vector<std::string>;

TEST(SystemLanguagesTest, FollowsTheVariablesInTheOrderGlibcWeighsThem) {
    EXPECT_EQ(preferredLanguages({std::nullopt, std::nullopt, std::nullopt, "ko_KR.UTF-8"}),
              Languages{"ko_KR"});
    EXPECT_EQ(preferredLanguages({std::nullopt, "ja_JP.UTF-8", "ko_KR.UTF-8", "ru_RU.UTF-8"}),
              Languages{"ja_JP"});
    EXPECT_EQ(preferredLanguages({"fr:pt_BR:C:ja", std::nullopt, std::nullopt, "de_DE.UTF-8@euro"}),
              (Languages{"fr", "pt_BR", "ja", "de_DE"}));
    EXPECT_EQ(preferredLanguages({"es::es_ES", std::nullopt, std::nullopt, "es_ES.UTF-8"}),
              (Languages{"es", "es_ES"}));
}

TEST(SystemLanguagesTest, ChineseRegionsBringTheirScript) {
    EXPECT_EQ(preferredLanguages({std::nullopt, std::nullopt, std::nullopt, "zh_TW.UTF-8"}),
              Languages{"zh-Hant-TW"});
    EXPECT_EQ(preferredLanguages({"zh_HK:zh_MO:zh_CN:zh_SG:zh:zh_Hant", std::nullopt, std::nullopt,
                                  "zh_TW.UTF-8"}),
              (Languages{"zh-Hant-HK", "zh-Hant-MO", "zh-Hans-CN", "zh-Hans-SG", "zh", "zh_Hant",
                         "zh-Hant-TW"}));
    // Only Chinese, and only whole region codes.
    EXPECT_EQ(preferredLanguages({"zh_TWN:pt_TW:zha_CN", std::nullopt, std::nullopt, "zh-TW"}),
              (Languages{"zh_TWN", "pt_TW", "zha_CN", "zh-Hant-TW"}));
}

TEST(SystemLanguagesTest, TheCLocaleNamesNoLanguageAndSilencesLanguage) {
    EXPECT_EQ(preferredLanguages({}), Languages{});
    EXPECT_EQ(preferredLanguages({"ja", "C", std::nullopt, "ko_KR.UTF-8"}), Languages{});
    // C.UTF-8 is not the plain C locale: glibc honours LANGUAGE with it.
    EXPECT_EQ(preferredLanguages({"ja", std::nullopt, std::nullopt, "C.UTF-8"}), Languages{"ja"});
}

}  // namespace
}  // namespace drawlume
