#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace drawlume {

// The texts of one language, by key, read from a table in this format:
//
//     /* A comment, or */ // a comment to the end of the line.
//     "menu.quit" = "Quit Drawlume";
//
// Keys and texts are double-quoted UTF-8 with the escapes \" \\ \' \n \t \r
// and \uXXXX; a text may span lines. Every entry ends with a semicolon.
class StringTable {
public:
    struct ParseResult;

    // Reads a table. On an error the result holds the entries before it and
    // says where the table went wrong ("line 12, column 5: ...").
    static ParseResult parse(std::string_view text);

    // The text for the key, or null when the table has none.
    const std::string* find(std::string_view key) const;
    size_t size() const { return entries_.size(); }
    std::vector<std::string> keys() const;

private:
    std::map<std::string, std::string, std::less<>> entries_;
};

struct StringTable::ParseResult {
    StringTable table;
    // Empty when the whole text was read.
    std::string error;
};

}  // namespace drawlume
