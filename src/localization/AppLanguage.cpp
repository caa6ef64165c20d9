#include "localization/AppLanguage.hpp"

namespace drawlume {

std::string_view rawValue(AppLanguage language) {
    switch (language) {
        case AppLanguage::automatic:
            return "system";
        case AppLanguage::english:
            return "en";
        case AppLanguage::korean:
            return "ko";
        case AppLanguage::japanese:
            return "ja";
        case AppLanguage::spanish:
            return "es";
        case AppLanguage::portuguese:
            return "pt";
        case AppLanguage::russian:
            return "ru";
        case AppLanguage::simplifiedChinese:
            return "zh-Hans";
        case AppLanguage::traditionalChinese:
            return "zh-Hant";
    }
    return "system";
}

std::optional<AppLanguage> appLanguageFromRawValue(std::string_view raw) {
    for (const AppLanguage language : kAllAppLanguages) {
        if (rawValue(language) == raw) {
            return language;
        }
    }
    return std::nullopt;
}

std::optional<std::string_view> languageCode(AppLanguage language) {
    if (language == AppLanguage::automatic) {
        return std::nullopt;
    }
    return rawValue(language);
}

}  // namespace drawlume
