#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/UserDefaults.hpp"

namespace drawlume {

// The settings file's contents: one JSON object whose members are the keys.
// true/false, whole numbers and strings are the three value types; anything
// else found in a hand-edited file (fractions, null, lists, objects, numbers
// beyond 64 bits) is not offered to readers but is written back as it was, so
// that saving a change loses nothing.
class SettingsDocument {
public:
    struct ParseResult;

    // Text holding only white space is an empty document.
    static ParseResult parse(std::string_view text);

    std::optional<DefaultsValue> object(std::string_view key) const;
    // True when the stored value changed.
    bool set(std::string_view key, const DefaultsValue& value);
    bool remove(std::string_view key);

    // Keys whose values are of no type offered to readers, with the JSON type's name.
    const std::vector<std::pair<std::string, std::string>>& unreadableKeys() const {
        return unreadable_;
    }

    // Pretty-printed JSON, keys in order, four-space indent, ending in a newline.
    std::string serialize() const;

private:
    std::map<std::string, DefaultsValue, std::less<>> values_;
    // Values kept as their JSON text, by key.
    std::map<std::string, std::string, std::less<>> opaque_;
    std::vector<std::pair<std::string, std::string>> unreadable_;
};

struct SettingsDocument::ParseResult {
    std::optional<SettingsDocument> document;
    // Why the text is not a settings document, when it is not.
    std::string error;
};

}  // namespace drawlume
