#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "localization/AppLanguage.hpp"
#include "localization/CheckedFormat.hpp"
#include "localization/StringTableCatalog.hpp"
#include "settings/UserDefaults.hpp"
#include "util/Published.hpp"

namespace drawlume {

// The interface language: the user's choice (remembered across launches,
// taking effect at once), the rule that turns it into a language the program
// carries, and the lookup of every visible text by key. Main thread only.
class AppLocalization {
public:
    // Reads the stored choice: a stored text that names a language selects it,
    // anything else (nothing, "system", an unknown text) is automatic.
    // systemLanguages is asked once, when automatic first needs it.
    AppLocalization(std::shared_ptr<UserDefaults> defaults, const StringTableCatalog& tables,
                    std::function<std::vector<std::string>()> systemLanguages);

    // The instance of the process, over the embedded tables and the system's
    // languages from the environment. The application configures it once at
    // launch, before anything reads it; until then it keeps its choice in memory.
    static AppLocalization& shared();
    // False, changing nothing, when the shared instance was already in use.
    static bool configureShared(std::shared_ptr<UserDefaults> defaults);

    // The current choice; observers are told before each change.
    const Published<AppLanguage>& selectedLanguage() const { return selectedLanguage_; }
    // Stores the choice (automatic removes the key) and notifies, unless it
    // is the current one, when nothing happens.
    void setLanguage(AppLanguage language);

    // The carried language in effect; never empty, "en" when nothing fits.
    std::string currentLanguageCode() const;
    // The name shown in the language menu.
    std::string displayName(AppLanguage language) const;
    // The tables of exactly that language folder, or null.
    const StringTable* bundle(std::string_view code) const;

    // The text for the key in the current language; when the language's
    // tables lack the key: the fallback when given, else the key itself.
    std::string localized(std::string_view key,
                          std::optional<std::string_view> fallback = std::nullopt) const;

    // The looked-up text used as a format for the arguments. A text whose
    // conversions do not fit the arguments is not used (and is reported once
    // in the log): the fallback is, when given and fitting, else the key.
    std::string localizedFormat(std::string_view key, std::optional<std::string_view> fallback,
                                std::span<const FormatArgument> arguments) const;

    // The carried languages, never "Base".
    const std::vector<std::string>& carriedLanguages() const { return tables_.localizations(); }

    static constexpr std::string_view selectedLanguageKey = "selectedAppLanguage";

private:
    std::string systemRequest() const;
    std::string resolve(const std::string& request) const;

    std::shared_ptr<UserDefaults> defaults_;
    const StringTableCatalog& tables_;
    std::function<std::vector<std::string>()> systemLanguages_;
    Published<AppLanguage> selectedLanguage_;

    // Resolutions and the system's answer do not change while the program runs.
    mutable std::optional<std::vector<std::string>> systemLanguagesCache_;
    mutable std::map<std::string, std::string, std::less<>> resolved_;
    mutable std::set<std::string, std::less<>> reportedFormats_;
};

}  // namespace drawlume
