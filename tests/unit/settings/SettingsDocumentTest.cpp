#include <string>

#include <gtest/gtest.h>

#include "settings/SettingsDocument.hpp"

namespace drawlume {
namespace {

TEST(SettingsDocumentTest, RejectsWhatIsNotAnObjectOfSettings) {
    for (const char* text :
         {"{", "[1]", "\"text\"", "{\"a\": 1} trailing", "{\"a\": tru}", "{\"bad\": \"\xff\"}"}) {
        const SettingsDocument::ParseResult parsed = SettingsDocument::parse(text);
        EXPECT_FALSE(parsed.document) << text;
        EXPECT_FALSE(parsed.error.empty()) << text;
    }
    EXPECT_TRUE(SettingsDocument::parse(" \n\t").document);
}

TEST(SettingsDocumentTest, RejectsNestingWithoutEnd) {
    const std::string deep = "{\"a\": " + std::string(200, '[') + std::string(200, ']') + "}";
    const SettingsDocument::ParseResult parsed = SettingsDocument::parse(deep);
    EXPECT_FALSE(parsed.document);
    EXPECT_NE(parsed.error.find("nested"), std::string::npos) << parsed.error;
}

}  // namespace
}  // namespace drawlume
