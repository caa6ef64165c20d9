#include <string>

#include <gtest/gtest.h>

#include "util/Utf8.hpp"

namespace drawlume {
namespace {

TEST(Utf8Test, RejectsMalformedSequencesAndSaysWhere) {
    size_t offset = 0;
    EXPECT_TRUE(isValidUtf8("plain \xC3\xA9 \xE2\x80\xA6 \xF0\x9F\x96\x8A"));
    // The lowest code point of each length is the shortest form, not an overlong one.
    EXPECT_TRUE(isValidUtf8("\xC2\x80 \xE0\xA0\x80 \xF0\x90\x80\x80"));
    for (const std::string bad : {"ab\xC3", "ab\x80", "ab\xC0\xAF", "ab\xED\xA0\x80",
                                  "ab\xF4\x90\x80\x80", "ab\xE2\x28\xA1"}) {
        EXPECT_FALSE(isValidUtf8(bad, &offset)) << bad;
        EXPECT_EQ(offset, 2u) << bad;
    }
}

TEST(Utf8Test, PrefixNeverCutsACharacter) {
    const std::string text = "a\xC3\xA9\xE2\x80\xA6";  // a, e acute, ellipsis
    EXPECT_EQ(utf8PrefixLength(text, 0), 0u);
    EXPECT_EQ(utf8PrefixLength(text, 2), 1u);
    EXPECT_EQ(utf8PrefixLength(text, 3), 3u);
    EXPECT_EQ(utf8PrefixLength(text, 5), 3u);
    EXPECT_EQ(utf8PrefixLength(text, 6), 6u);
    EXPECT_EQ(utf8PrefixLength(text, 60), 6u);
}

}  // namespace
}  // namespace drawlume
