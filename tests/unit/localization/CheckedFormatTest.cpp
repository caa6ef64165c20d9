#include <array>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "localization/CheckedFormat.hpp"

namespace drawlume {
namespace {

std::optional<std::string> format(std::string_view text, std::vector<FormatArgument> arguments) {
    return formatChecked(text, arguments);
}

TEST(CheckedFormatTest, FillsConversionsThatFitTheArguments) {
    EXPECT_EQ(format("%d events/sec", {int64_t{42}}), "42 events/sec");
    EXPECT_EQ(format("Monitor %lld (%ld \u00d7 %d)", {int64_t{2}, int64_t{2560}, int64_t{1440}}),
              "Monitor 2 (2560 \u00d7 1440)");
    // Lengths do not narrow: the value is printed in full.
    EXPECT_EQ(format("%hhd", {int64_t{300}}), "300");
    EXPECT_EQ(format("%d", {int64_t{-9223372036854775807 - 1}}), "-9223372036854775808");
    EXPECT_EQ(format("Version %@ (%s)", {std::string_view("1.2"), std::string_view("45")}),
              "Version 1.2 (45)");
    EXPECT_EQ(format("%2$s / %1$s / %2$s", {std::string_view("a"), std::string_view("b")}),
              "b / a / b");
    EXPECT_EQ(format("100%% %05.1f|%-4s|%+d|%x",
                     {2.25, std::string_view("ab"), int64_t{3}, int64_t{255}}),
              "100% 002.2|ab  |+3|ff");
}

TEST(CheckedFormatTest, RejectsTextsThatDoNotFitTheArguments) {
    struct Case {
        const char* text;
        std::vector<FormatArgument> arguments;
        const char* problem;
    };
    const std::vector<Case> cases = {
        {"%d events", {}, "refers to argument 1 of 0"},
        {"events", {int64_t{1}}, "argument 1 of 1 is not used"},
        {"%s events", {int64_t{1}}, "cannot print a whole number"},
        {"%d events", {std::string_view("x")}, "cannot print a text"},
        {"%n", {int64_t{1}}, "has the conversion 'n'"},
        {"%Ld", {int64_t{1}}, "has a length unfit for a whole number"},
        {"%*d", {int64_t{1}}, "takes its width or precision from an argument"},
        {"%.999999999999f", {1.0}, "width or precision above 100"},
        {"%1$d %d", {int64_t{1}}, "mixes numbered and unnumbered arguments"},
        {"50%", {}, "the format ends inside a conversion"},
    };
    for (const Case& c : cases) {
        std::string problem;
        EXPECT_EQ(formatChecked(c.text, c.arguments, &problem), std::nullopt) << c.text;
        EXPECT_NE(problem.find(c.problem), std::string::npos) << c.text << ": " << problem;
    }
}

}  // namespace
}  // namespace drawlume
