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

TEST(SettingsDocumentTest, ReportsChangesOnlyWhenTheStoredValueChanges) {
    SettingsDocument document = *SettingsDocument::parse(R"({"a": 1, "odd": null})").document;
    EXPECT_FALSE(document.set("a", int64_t{1}));
    EXPECT_TRUE(document.set("a", true));
    EXPECT_TRUE(document.set("odd", std::string("now readable")));
    EXPECT_EQ(document.object("odd"), DefaultsValue(std::string("now readable")));
    EXPECT_FALSE(document.remove("missing"));
    EXPECT_TRUE(document.remove("a"));
}

}  // namespace
}  // namespace drawlume
