#include <string>

#include <gtest/gtest.h>

#include "localization/StringTable.hpp"

namespace drawlume {
namespace {

TEST(StringTableTest, ReadsCommentsEscapesAndTextsOverSeveralLines) {
    const StringTable::ParseResult parsed = StringTable::parse(
        "\xEF\xBB\xBF/* header\n   over lines */\n"
        "// a line comment\n"
        "\"plain\" = \"Quit\";\n"
        "\"escaped\"=\"say \\\"hi\\\"\\n\\tback\\\\slash \\u00e9\";  // after\n"
        "\"two lines\" = \"first\nsecond\";\n"
        "\"ko\" = \"\xEB\x8B\xAB\xEA\xB8\xB0\";");
    EXPECT_EQ(parsed.error, "");
    ASSERT_EQ(parsed.table.size(), 4u);
    EXPECT_EQ(*parsed.table.find("plain"), "Quit");
    EXPECT_EQ(*parsed.table.find("escaped"), "say \"hi\"\n\tback\\slash \xC3\xA9");
    EXPECT_EQ(*parsed.table.find("two lines"), "first\nsecond");
    EXPECT_EQ(*parsed.table.find("ko"), "\xEB\x8B\xAB\xEA\xB8\xB0");
    EXPECT_EQ(parsed.table.find("absent"), nullptr);
}

TEST(StringTableTest, ErrorSaysWhereAndKeepsTheEntriesBeforeIt) {
    struct Case {
        const char* text;
        const char* error;
    };
    const Case cases[] = {
        {"\"a\" = \"1\";\n\"b\" = \"2\"\n\"c\" = \"3\";", "line 3, column 1: expected ';'"},
        {"\"a\" = \"1\";\n\"b\" = \"open", "line 2, column 7: the quoted text is not closed"},
        {"\"a\" = \"1\";\n\"b\" = \"\\q\";", "line 2, column 8: unknown escape \\q"},
        {"\"a\" = \"1\";\n\"a\" = \"2\";", "line 2, column 1: the key \"a\" appears a second time"},
        {"\"a\" = \"1\";\n\"b\" = \"\\u12\";",
         "line 2, column 8: \\u needs four hexadecimal digits"},
        {"\"a\" = \"1\";\n\"b\" = \"\xE9t\xE9\";",
         "line 2, column 8: the bytes here are not valid UTF-8"},
    };
    for (const Case& c : cases) {
        const StringTable::ParseResult parsed = StringTable::parse(c.text);
        EXPECT_EQ(parsed.error, c.error) << c.text;
        ASSERT_EQ(parsed.table.size(), 1u) << c.text;
        EXPECT_EQ(*parsed.table.find("a"), "1");
    }
}

}  // namespace
}  // namespace drawlume
