#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace drawlume {

// The languages the user can choose for the interface, in the order of the
// language menu. automatic follows the system.
enum class AppLanguage {
    automatic,
    english,
    korean,
    japanese,
    spanish,
    portuguese,
    russian,
    simplifiedChinese,
    traditionalChinese,
};

inline constexpr std::array<AppLanguage, 9> kAllAppLanguages = {
    AppLanguage::automatic, AppLanguage::english,           AppLanguage::korean,
    AppLanguage::japanese,  AppLanguage::spanish,           AppLanguage::portuguese,
    AppLanguage::russian,   AppLanguage::simplifiedChinese, AppLanguage::traditionalChinese,
};

// The stored and parsed form: "system" for automatic, else the language code.
std::string_view rawValue(AppLanguage language);

// The case whose raw value is exactly the text; nothing for any other text.
std::optional<AppLanguage> appLanguageFromRawValue(std::string_view raw);

// The code whose string tables the case selects; nothing for automatic.
std::optional<std::string_view> languageCode(AppLanguage language);

}  // namespace drawlume
