#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "localization/EmbeddedStringTables.hpp"
#include "localization/StringTable.hpp"

namespace drawlume {

// The string tables the program carries, one per language folder, with
// "Base" as the default tables (English, used when a language has no folder).
class StringTableCatalog {
public:
    // The tables in the given order. A table that does not parse keeps the
    // entries before its error; the error is logged and kept in problems().
    explicit StringTableCatalog(std::span<const EmbeddedStringTable> sources);

    // The tables compiled into the program, read once.
    static const StringTableCatalog& embedded();

    // The carried languages, in the tables' order; never "Base".
    const std::vector<std::string>& localizations() const { return localizations_; }
    // The table of exactly that folder name, or null.
    const StringTable* table(std::string_view code) const;
    // The Base table, or null when there is none.
    const StringTable* defaultTable() const { return table(kBaseCode); }
    // "<code>: line 3, column 1: ..." for each table that did not parse.
    const std::vector<std::string>& problems() const { return problems_; }

    static constexpr std::string_view kBaseCode = "Base";

private:
    std::vector<std::pair<std::string, StringTable>> tables_;
    std::vector<std::string> localizations_;
    std::vector<std::string> problems_;
};

}  // namespace drawlume
