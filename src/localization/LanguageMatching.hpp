#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace drawlume {

// The codes tried, in order, when a requested language is matched against the
// carried ones, each once: the request with "_" as "-"; its canonical locale
// identifier (ICU) likewise; its language and script codes joined by "-",
// when it names a script; its language code alone. No script is guessed: a
// system preference that implies one says so itself (see SystemLanguages).
std::vector<std::string> matchCandidates(std::string_view request);

// The carried language (in the carried list's order) that serves a request:
// first one equal to a candidate, else the first that begins with a
// candidate followed by "-" (a request for "zh" finds "zh-Hans"). Nothing when
// no carried language fits.
std::optional<std::string> resolveCarriedLanguage(std::string_view request,
                                                  std::span<const std::string> carried);

// The name of a language in the language of displayLocale ("ja" shown in
// "en" is "Japanese"), capitalised for a menu; nothing when ICU has no name
// for it there.
std::optional<std::string> languageName(std::string_view code, std::string_view displayLocale);

}  // namespace drawlume
