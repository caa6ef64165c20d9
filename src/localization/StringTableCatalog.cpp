#include "localization/StringTableCatalog.hpp"

#include "logging/LogMacros.hpp"

namespace drawlume {

namespace {
constexpr const char* kLogFile = "Drawlume___Bluetooth_Agent/StringTableCatalog";
}  // namespace

StringTableCatalog::StringTableCatalog(std::span<const EmbeddedStringTable> sources) {
    for (const EmbeddedStringTable& source : sources) {
        StringTable::ParseResult parsed = StringTable::parse(source.text);
        if (!parsed.error.empty()) {
            problems_.push_back(std::string(source.code) + ": " + parsed.error);
            DDLogError("StringTableCatalog()", "The string table of \"" + std::string(source.code) +
                                                   "\" is damaged at " + parsed.error +
                                                   "; only the entries before it are used");
        }
        if (source.code != kBaseCode) {
            localizations_.emplace_back(source.code);
        }
        tables_.emplace_back(std::string(source.code), std::move(parsed.table));
    }
}

const StringTableCatalog& StringTableCatalog::embedded() {
    static const StringTableCatalog catalog(embeddedStringTables());
    return catalog;
}

const StringTable* StringTableCatalog::table(std::string_view code) const {
    for (const auto& [name, table] : tables_) {
        if (name == code) {
            return &table;
        }
    }
    return nullptr;
}

}  // namespace drawlume
