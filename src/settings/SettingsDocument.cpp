#include "settings/SettingsDocument.hpp"

#include <cstdint>
#include <limits>

#include <nlohmann/json.hpp>

namespace drawlume {

namespace {

using Json = nlohmann::json;

constexpr int kMaximumDepth = 64;

bool onlyWhiteSpace(std::string_view text) {
    return text.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

// Invalid UTF-8 in a key or text set by the program would make the library
// throw while writing; such bytes become U+FFFD instead.
std::string dump(const Json& value, int indent) {
    return value.dump(indent, ' ', false, Json::error_handler_t::replace);
}

}  // namespace

SettingsDocument::ParseResult SettingsDocument::parse(std::string_view text) {
    ParseResult result;
    if (onlyWhiteSpace(text)) {
        result.document.emplace();
        return result;
    }
    // Writing a value back is recursive, so a hand-made file cannot nest without end.
    bool tooDeep = false;
    const Json::parser_callback_t depthLimit = [&tooDeep](int depth, Json::parse_event_t, Json&) {
        tooDeep = tooDeep || depth > kMaximumDepth;
        return !tooDeep;
    };
    Json root;
    try {
        root = Json::parse(text.begin(), text.end(), depthLimit);
    } catch (const Json::exception& error) {
        result.error = error.what();
        return result;
    }
    if (tooDeep) {
        result.error = "values are nested more than " + std::to_string(kMaximumDepth) + " deep";
        return result;
    }
    if (!root.is_object()) {
        result.error = std::string("the file holds a JSON ") + root.type_name() +
                       ", not an object of settings";
        return result;
    }
    SettingsDocument document;
    for (const auto& [key, value] : root.items()) {
        if (value.is_boolean()) {
            document.values_.emplace(key, value.get<bool>());
        } else if (value.is_number_integer() && !value.is_number_unsigned()) {
            document.values_.emplace(key, value.get<int64_t>());
        } else if (value.is_number_unsigned() &&
                   value.get<uint64_t>() <=
                       static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) {
            document.values_.emplace(key, static_cast<int64_t>(value.get<uint64_t>()));
        } else if (value.is_string()) {
            document.values_.emplace(key, value.get<std::string>());
        } else {
            document.opaque_.emplace(key, dump(value, -1));
            document.unreadable_.emplace_back(
                key, value.is_number() ? "large or fractional number" : value.type_name());
        }
    }
    result.document = std::move(document);
    return result;
}

std::optional<DefaultsValue> SettingsDocument::object(std::string_view key) const {
    const auto found = values_.find(key);
    if (found == values_.end()) {
        return std::nullopt;
    }
    return found->second;
}

bool SettingsDocument::set(std::string_view key, const DefaultsValue& value) {
    const auto opaque = opaque_.find(key);
    const bool replacedOpaque = opaque != opaque_.end();
    if (replacedOpaque) {
        opaque_.erase(opaque);
    }
    const auto found = values_.find(key);
    if (found != values_.end()) {
        if (found->second == value) {
            return replacedOpaque;
        }
        found->second = value;
        return true;
    }
    values_.emplace(std::string(key), value);
    return true;
}

bool SettingsDocument::remove(std::string_view key) {
    bool removed = false;
    if (const auto found = values_.find(key); found != values_.end()) {
        values_.erase(found);
        removed = true;
    }
    if (const auto found = opaque_.find(key); found != opaque_.end()) {
        opaque_.erase(found);
        removed = true;
    }
    return removed;
}

std::string SettingsDocument::serialize() const {
    Json root = Json::object();
    for (const auto& [key, value] : values_) {
        std::visit([&root, &key = key](const auto& typed) { root[key] = typed; }, value);
    }
    for (const auto& [key, text] : opaque_) {
        // Our own dump of a parsed value: it parses back.
        root[key] = Json::parse(text, nullptr, false);
    }
    return dump(root, 4) + "\n";
}

}  // namespace drawlume
