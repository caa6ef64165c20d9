#include "localization/SystemLanguages.hpp"

#include <algorithm>
#include <cstdlib>
#include <string_view>

namespace drawlume {

namespace {

std::optional<std::string> environmentValue(const char* name) {
    // Nothing in this program changes its environment after start-up.
    const char* value = std::getenv(name);  // NOLINT(concurrency-mt-unsafe)
    if (value == nullptr) {
        return std::nullopt;
    }
    return std::string(value);
}

// "ja_JP.UTF-8@cjknarrow" -> "ja_JP".
std::string withoutCodesetAndModifier(std::string_view name) {
    return std::string(name.substr(0, name.find_first_of(".@")));
}

bool namesNoLanguage(std::string_view name) {
    const std::string bare = withoutCodesetAndModifier(name);
    return bare.empty() || bare == "C" || bare == "POSIX";
}

// glibc names Chinese locales by region alone, but the region decides the
// script: "zh_TW" is "zh-Hant-TW", "zh_CN" "zh-Hans-CN". Other names pass.
std::string withChineseScript(std::string name) {
    struct Region {
        std::string_view region;
        std::string_view script;
    };
    static constexpr Region kRegions[] = {
        {"TW", "Hant"}, {"HK", "Hant"}, {"MO", "Hant"}, {"CN", "Hans"}, {"SG", "Hans"},
    };
    if (name.size() != 5 || !name.starts_with("zh") || (name[2] != '_' && name[2] != '-')) {
        return name;
    }
    const std::string_view region = std::string_view(name).substr(3);
    for (const Region& known : kRegions) {
        if (region == known.region) {
            return "zh-" + std::string(known.script) + "-" + std::string(known.region);
        }
    }
    return name;
}

void addOnce(std::vector<std::string>& list, std::string name) {
    name = withChineseScript(std::move(name));
    if (!name.empty() && std::find(list.begin(), list.end(), name) == list.end()) {
        list.push_back(std::move(name));
    }
}

}  // namespace

LocaleEnvironment LocaleEnvironment::current() {
    return {environmentValue("LANGUAGE"), environmentValue("LC_ALL"),
            environmentValue("LC_MESSAGES"), environmentValue("LANG")};
}

std::vector<std::string> preferredLanguages(const LocaleEnvironment& environment) {
    std::string locale;
    for (const std::optional<std::string>* candidate :
         {&environment.lcAll, &environment.lcMessages, &environment.lang}) {
        if (*candidate && !(*candidate)->empty()) {
            locale = **candidate;
            break;
        }
    }
    std::vector<std::string> languages;
    // glibc ignores LANGUAGE only for the plain C locale; "C.UTF-8" honours it.
    if (locale.empty() || locale == "C" || locale == "POSIX") {
        return languages;
    }
    if (environment.language) {
        std::string_view list = *environment.language;
        while (!list.empty()) {
            const size_t colon = list.find(':');
            const std::string_view entry = list.substr(0, colon);
            if (!namesNoLanguage(entry)) {
                addOnce(languages, withoutCodesetAndModifier(entry));
            }
            list = colon == std::string_view::npos ? std::string_view() : list.substr(colon + 1);
        }
    }
    if (!namesNoLanguage(locale)) {
        addOnce(languages, withoutCodesetAndModifier(locale));
    }
    return languages;
}

}  // namespace drawlume
