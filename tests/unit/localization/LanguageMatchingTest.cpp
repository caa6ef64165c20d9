#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "localization/LanguageMatching.hpp"

namespace drawlume {
namespace {

std::optional<std::string> resolve(std::string_view request,
                                   const std::vector<std::string>& carried) {
    return resolveCarriedLanguage(request, carried);
}

// What the shipped languages resolve to, the application's own tests show;
// these are the orders and ties of other lists.
TEST(LanguageMatchingTest, PrefixPassTakesTheFirstCarriedLanguageInListOrder) {
    EXPECT_EQ(resolve("zh", {"en", "zh-Hant", "zh-Hans"}), "zh-Hant");
    // No script is guessed from a region: the first carried "zh-" serves.
    EXPECT_EQ(resolve("zh_TW", {"en", "zh-Hans", "zh-Hant"}), "zh-Hans");
    // The script candidate comes before the bare language in the prefix pass too.
    EXPECT_EQ(resolve("zh-Hans-SG", {"en", "zh-Hant-TW", "zh-Hans-CN"}), "zh-Hans-CN");
    EXPECT_EQ(resolve("zh-SG", {"en", "zh-Hant-TW", "zh-Hans-CN"}), "zh-Hant-TW");
    EXPECT_EQ(resolve("pt-BR", {"en", "pt-PT"}), "pt-PT");
}

TEST(LanguageMatchingTest, NamesLanguagesInTheLanguageAsked) {
    EXPECT_EQ(languageName("ja", "en"), "Japanese");
    EXPECT_EQ(languageName("ja", "ja"), "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E");  // 日本語
    // A menu capitalises what prose writes in lower case.
    EXPECT_EQ(languageName("es", "es"), "Espa\xC3\xB1ol");
    EXPECT_EQ(languageName("qq", "en"), std::nullopt);
}

}  // namespace
}  // namespace drawlume
