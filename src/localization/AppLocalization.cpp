#include "localization/AppLocalization.hpp"

#include "localization/LanguageMatching.hpp"
#include "localization/SystemLanguages.hpp"
#include "logging/LogMacros.hpp"
#include "settings/DefaultsReading.hpp"

namespace drawlume {

namespace {

constexpr const char* kLogFile = "Drawlume___Bluetooth_Agent/AppLocalization";
constexpr std::string_view kEnglish = "en";

AppLanguage storedChoice(const UserDefaults& defaults) {
    const std::optional<std::string> stored =
        stringForKey(defaults, AppLocalization::selectedLanguageKey);
    if (!stored) {
        return AppLanguage::automatic;
    }
    return appLanguageFromRawValue(*stored).value_or(AppLanguage::automatic);
}

std::vector<std::string> environmentLanguages() {
    return preferredLanguages(LocaleEnvironment::current());
}

struct SharedInstance {
    std::unique_ptr<AppLocalization> instance;
};

SharedInstance& sharedInstance() {
    static SharedInstance shared;
    return shared;
}

}  // namespace

AppLocalization::AppLocalization(std::shared_ptr<UserDefaults> defaults,
                                 const StringTableCatalog& tables,
                                 std::function<std::vector<std::string>()> systemLanguages)
    : defaults_(std::move(defaults)),
      tables_(tables),
      systemLanguages_(std::move(systemLanguages)),
      selectedLanguage_(storedChoice(*defaults_)) {}

AppLocalization& AppLocalization::shared() {
    SharedInstance& shared = sharedInstance();
    if (!shared.instance) {
        shared.instance =
            std::make_unique<AppLocalization>(std::make_shared<InMemoryUserDefaults>(),
                                              StringTableCatalog::embedded(), environmentLanguages);
    }
    return *shared.instance;
}

bool AppLocalization::configureShared(std::shared_ptr<UserDefaults> defaults) {
    SharedInstance& shared = sharedInstance();
    if (shared.instance) {
        DDLogError("configureShared(_:)",
                   "The language setting was configured after its first use; keeping the first");
        return false;
    }
    shared.instance = std::make_unique<AppLocalization>(
        std::move(defaults), StringTableCatalog::embedded(), environmentLanguages);
    return true;
}

void AppLocalization::setLanguage(AppLanguage language) {
    if (language == selectedLanguage_.get()) {
        return;
    }
    selectedLanguage_.set(language);
    if (const std::optional<std::string_view> code = languageCode(language)) {
        defaults_->set(selectedLanguageKey, std::string(*code));
    } else {
        defaults_->remove(selectedLanguageKey);
    }
}

std::string AppLocalization::systemRequest() const {
    if (!systemLanguagesCache_) {
        systemLanguagesCache_ = systemLanguages_ ? systemLanguages_() : std::vector<std::string>();
    }
    const std::vector<std::string>& preferred = *systemLanguagesCache_;
    // The first preferred language the program carries, as the platform's
    // preferred localizations give it; else the first preferred language.
    for (const std::string& language : preferred) {
        if (!resolve(language).empty()) {
            return language;
        }
    }
    return preferred.empty() ? std::string(kEnglish) : preferred.front();
}

std::string AppLocalization::resolve(const std::string& request) const {
    if (const auto found = resolved_.find(request); found != resolved_.end()) {
        return found->second;
    }
    std::string carried =
        resolveCarriedLanguage(request, tables_.localizations()).value_or(std::string());
    resolved_.emplace(request, carried);
    return carried;
}

std::string AppLocalization::currentLanguageCode() const {
    const std::optional<std::string_view> chosen = languageCode(selectedLanguage_.get());
    const std::string request = chosen ? std::string(*chosen) : systemRequest();
    std::string carried = resolve(request);
    return carried.empty() ? std::string(kEnglish) : carried;
}

std::string AppLocalization::displayName(AppLanguage language) const {
    const std::optional<std::string_view> code = languageCode(language);
    if (!code) {
        return localized("language.option.system", "Automatic (System)");
    }
    if (std::optional<std::string> name = languageName(*code, currentLanguageCode())) {
        return *name;
    }
    if (std::optional<std::string> name = languageName(*code, *code)) {
        return *name;
    }
    return std::string(*code);
}

const StringTable* AppLocalization::bundle(std::string_view code) const {
    return tables_.table(code);
}

std::string AppLocalization::localized(std::string_view key,
                                       std::optional<std::string_view> fallback) const {
    const StringTable* table = bundle(currentLanguageCode());
    if (table == nullptr) {
        table = tables_.defaultTable();
    }
    if (table != nullptr) {
        if (const std::string* text = table->find(key)) {
            return *text;
        }
    }
    return std::string(fallback.value_or(key));
}

std::string AppLocalization::localizedFormat(std::string_view key,
                                             std::optional<std::string_view> fallback,
                                             std::span<const FormatArgument> arguments) const {
    const std::string format = localized(key, fallback);
    std::string problem;
    if (std::optional<std::string> text = formatChecked(format, arguments, &problem)) {
        return *std::move(text);
    }
    const std::string language = currentLanguageCode();
    const std::string report = language + "/" + std::string(key);
    if (reportedFormats_.insert(report).second) {
        DDLogWarn("localizedFormat(_:fallback:arguments:)",
                  "The \"" + language + "\" text of \"" + std::string(key) +
                      "\" does not fit its arguments (" + problem + "); showing " +
                      (fallback ? "the fallback" : "the key") + " instead");
    }
    if (fallback) {
        if (std::optional<std::string> text = formatChecked(*fallback, arguments)) {
            return *std::move(text);
        }
    }
    return std::string(key);
}

}  // namespace drawlume
