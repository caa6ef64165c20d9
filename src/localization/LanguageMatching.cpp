#include "localization/LanguageMatching.hpp"

#include <algorithm>
#include <memory>

#include <unicode/locdspnm.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>

namespace drawlume {

namespace {

std::string hyphenated(std::string text) {
    std::replace(text.begin(), text.end(), '_', '-');
    return text;
}

void addOnce(std::vector<std::string>& list, std::string entry) {
    if (!entry.empty() && std::find(list.begin(), list.end(), entry) == list.end()) {
        list.push_back(std::move(entry));
    }
}

}  // namespace

std::vector<std::string> matchCandidates(std::string_view request) {
    std::vector<std::string> candidates;
    const std::string requested(request);
    addOnce(candidates, hyphenated(requested));

    const icu::Locale canonical = icu::Locale::createCanonical(requested.c_str());
    if (canonical.isBogus()) {
        return candidates;
    }
    addOnce(candidates, hyphenated(canonical.getName()));

    const std::string language = canonical.getLanguage();
    const std::string script = canonical.getScript();
    if (!language.empty() && !script.empty()) {
        addOnce(candidates, language + "-" + script);
    }
    addOnce(candidates, language);
    return candidates;
}

std::optional<std::string> resolveCarriedLanguage(std::string_view request,
                                                  std::span<const std::string> carried) {
    const std::vector<std::string> candidates = matchCandidates(request);
    for (const std::string& candidate : candidates) {
        for (const std::string& language : carried) {
            if (language == candidate) {
                return language;
            }
        }
    }
    for (const std::string& candidate : candidates) {
        const std::string prefix = candidate + "-";
        for (const std::string& language : carried) {
            if (language.starts_with(prefix)) {
                return language;
            }
        }
    }
    return std::nullopt;
}

std::optional<std::string> languageName(std::string_view code, std::string_view displayLocale) {
    UDisplayContext contexts[] = {UDISPCTX_NO_SUBSTITUTE,
                                  UDISPCTX_CAPITALIZATION_FOR_UI_LIST_OR_MENU};
    const icu::Locale display(std::string(displayLocale).c_str());
    const std::unique_ptr<icu::LocaleDisplayNames> names(
        icu::LocaleDisplayNames::createInstance(display, contexts, 2));
    if (names == nullptr) {
        return std::nullopt;
    }
    const icu::Locale named(std::string(code).c_str());
    icu::UnicodeString name;
    names->localeDisplayName(named, name);
    if (name.isBogus() || name.isEmpty()) {
        return std::nullopt;
    }
    std::string text;
    name.toUTF8String(text);
    return text;
}

}  // namespace drawlume
