#include <string>

#include <gtest/gtest.h>

#include "settings/SettingsDocument.hpp"

namespace drawlume {
namespace {

// Among them nesting without end, which must be refused before it runs the
// reader out of stack.
TEST(SettingsDocumentTest, RejectsWhatIsNotAnObjectOfSettings) {
    const std::string deep = "{\"a\": " + std::string(200, '[') + std::string(200, ']') + "}";
    for (const std::string text : {"{", "[1]", "\"text\"", "{\"a\": 1} trailing", "{\"a\": tru}",
                                   "{\"bad\": \"\xff\"}", deep.c_str()}) {
        const SettingsDocument::ParseResult parsed = SettingsDocument::parse(text);
        EXPECT_FALSE(parsed.document) << text;
        EXPECT_FALSE(parsed.error.empty()) << text;
    }
    EXPECT_TRUE(SettingsDocument::parse(" \n\t").document);
}

}  // namespace
}  // namespace drawlume
