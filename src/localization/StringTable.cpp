#include "localization/StringTable.hpp"

#include <cstdint>

#include "util/Utf8.hpp"

namespace drawlume {

namespace {

// Reads the table's text from start to end; the first error stops it.
class TableReader {
public:
    explicit TableReader(std::string_view text) : text_(text) {}

    // False at the first error, with error() describing it.
    bool readEntry(std::string& key, std::string& value, bool& done) {
        done = false;
        if (!skipBlanksAndComments()) {
            return false;
        }
        if (at_ == text_.size()) {
            done = true;
            return true;
        }
        entryStart_ = at_;
        return readQuoted(key, "a quoted key") && skipBlanksAndComments() && expect('=') &&
               skipBlanksAndComments() && readQuoted(value, "a quoted text after '='") &&
               skipBlanksAndComments() && expect(';');
    }

    bool fail(std::string message) { return failAt(at_, std::move(message)); }
    const std::string& error() const { return error_; }
    size_t entryStart() const { return entryStart_; }

    bool failAt(size_t offset, std::string message) {
        size_t line = 1;
        size_t column = 1;
        for (size_t index = 0; index < offset && index < text_.size(); ++index) {
            if (text_[index] == '\n') {
                ++line;
                column = 1;
            } else if ((static_cast<unsigned char>(text_[index]) & 0xC0) != 0x80) {
                ++column;
            }
        }
        error_ = "line " + std::to_string(line) + ", column " + std::to_string(column) + ": " +
                 std::move(message);
        return false;
    }

private:
    bool skipBlanksAndComments() {
        while (at_ < text_.size()) {
            const char c = text_[at_];
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
                ++at_;
            } else if (text_.substr(at_, 2) == "//") {
                const size_t end = text_.find('\n', at_);
                at_ = end == std::string_view::npos ? text_.size() : end + 1;
            } else if (text_.substr(at_, 2) == "/*") {
                const size_t end = text_.find("*/", at_ + 2);
                if (end == std::string_view::npos) {
                    return fail("the comment is not closed with */");
                }
                at_ = end + 2;
            } else {
                break;
            }
        }
        return true;
    }

    bool expect(char wanted) {
        if (at_ < text_.size() && text_[at_] == wanted) {
            ++at_;
            return true;
        }
        return fail(std::string("expected '") + wanted + "'");
    }

    bool readQuoted(std::string& out, const char* what) {
        out.clear();
        if (at_ >= text_.size() || text_[at_] != '"') {
            return fail(std::string("expected ") + what);
        }
        const size_t opening = at_++;
        while (at_ < text_.size()) {
            const char c = text_[at_++];
            if (c == '"') {
                return true;
            }
            if (c != '\\') {
                out.push_back(c);
            } else if (!readEscape(out)) {
                return false;
            }
        }
        return failAt(opening, "the quoted text is not closed");
    }

    bool readEscape(std::string& out) {
        if (at_ >= text_.size()) {
            return fail("the text ends inside an escape");
        }
        const char c = text_[at_++];
        switch (c) {
            case '"':
            case '\\':
            case '\'':
                out.push_back(c);
                return true;
            case 'n':
                out.push_back('\n');
                return true;
            case 't':
                out.push_back('\t');
                return true;
            case 'r':
                out.push_back('\r');
                return true;
            case 'u':
            case 'U':
                return readUnicodeEscape(out);
            default:
                return failAt(at_ - 2, std::string("unknown escape \\") + c);
        }
    }

    bool readUnicodeEscape(std::string& out) {
        const size_t start = at_ - 2;
        uint32_t code = 0;
        for (int digit = 0; digit < 4; ++digit) {
            if (at_ >= text_.size()) {
                return failAt(start, "\\u needs four hexadecimal digits");
            }
            const char c = text_[at_++];
            uint32_t value = 0;
            if (c >= '0' && c <= '9') {
                value = static_cast<uint32_t>(c - '0');
            } else if (c >= 'a' && c <= 'f') {
                value = static_cast<uint32_t>(c - 'a' + 10);
            } else if (c >= 'A' && c <= 'F') {
                value = static_cast<uint32_t>(c - 'A' + 10);
            } else {
                return failAt(start, "\\u needs four hexadecimal digits");
            }
            code = code * 16 + value;
        }
        if (code == 0 || (code >= 0xD800 && code <= 0xDFFF)) {
            return failAt(start, "\\u names no character");
        }
        if (code < 0x80) {
            out.push_back(static_cast<char>(code));
        } else if (code < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (code >> 6)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xE0 | (code >> 12)));
            out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        }
        return true;
    }

    std::string_view text_;
    size_t at_ = 0;
    size_t entryStart_ = 0;
    std::string error_;
};

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

StringTable::ParseResult StringTable::parse(std::string_view text) {
    ParseResult result;
    if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        text.remove_prefix(kByteOrderMark.size());
    }
    // Broken bytes end the table like any other error: the entries before
    // them are read, the one they sit in is not.
    size_t badOffset = 0;
    if (!isValidUtf8(text, &badOffset)) {
        TableReader whole(text);
        whole.failAt(badOffset, "the bytes here are not valid UTF-8");
        result = parse(text.substr(0, badOffset));
        result.error = whole.error();
        return result;
    }
    TableReader reader(text);
    std::string key;
    std::string value;
    for (;;) {
        bool done = false;
        if (!reader.readEntry(key, value, done)) {
            result.error = reader.error();
            return result;
        }
        if (done) {
            return result;
        }
        if (key.empty()) {
            reader.failAt(reader.entryStart(), "the key is empty");
            result.error = reader.error();
            return result;
        }
        if (!result.table.entries_.emplace(key, value).second) {
            reader.failAt(reader.entryStart(), "the key \"" + key + "\" appears a second time");
            result.error = reader.error();
            return result;
        }
    }
}

const std::string* StringTable::find(std::string_view key) const {
    const auto found = entries_.find(key);
    return found == entries_.end() ? nullptr : &found->second;
}

std::vector<std::string> StringTable::keys() const {
    std::vector<std::string> keys;
    keys.reserve(entries_.size());
    for (const auto& entry : entries_) {
        keys.push_back(entry.first);
    }
    return keys;
}

}  // namespace drawlume
