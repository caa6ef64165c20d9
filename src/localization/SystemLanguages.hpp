#pragma once

#include <optional>
#include <string>
#include <vector>

namespace drawlume {

// The environment variables that name the user's languages for messages.
struct LocaleEnvironment {
    std::optional<std::string> language;    // LANGUAGE
    std::optional<std::string> lcAll;       // LC_ALL
    std::optional<std::string> lcMessages;  // LC_MESSAGES
    std::optional<std::string> lang;        // LANG

    // The values of this process.
    static LocaleEnvironment current();
};

// The user's preferred languages, most preferred first, as glibc weighs the
// variables for messages: the locale is the first non-empty of LC_ALL,
// LC_MESSAGES and LANG; LANGUAGE, a colon-separated list, comes before it but
// is ignored, as gettext ignores it, when the locale is plainly "C" or
// "POSIX" (or unset). "C" and "POSIX" in any form name no language and are
// left out. Codesets and modifiers are dropped ("pt_BR.UTF-8@euro" is
// "pt_BR"); duplicates are kept once. Chinese names get the script their
// region writes ("zh_TW" is "zh-Hant-TW", "zh_SG" "zh-Hans-SG").
std::vector<std::string> preferredLanguages(const LocaleEnvironment& environment);

}  // namespace drawlume
