#include <cstdint>

#include <gtest/gtest.h>

#include "settings/DefaultsReading.hpp"

namespace drawlume {
namespace {

TEST(DefaultsReadingTest, IntegerAndTextReadingsFollowTheStoredType) {
    InMemoryUserDefaults defaults;
    defaults.set("int", int64_t{-7});
    defaults.set("yes", true);
    defaults.set("number text", std::string("  -42abc"));
    defaults.set("word", std::string("three"));
    defaults.set("overflow", std::string("99999999999999999999"));
    EXPECT_EQ(integerForKey(defaults, "int"), -7);
    EXPECT_EQ(integerForKey(defaults, "yes"), 1);
    EXPECT_EQ(integerForKey(defaults, "number text"), -42);
    EXPECT_EQ(integerForKey(defaults, "word"), 0);
    EXPECT_EQ(integerForKey(defaults, "overflow"), INT64_MAX);
    EXPECT_EQ(integerForKey(defaults, "absent"), 0);

    EXPECT_EQ(stringForKey(defaults, "int"), "-7");
    EXPECT_EQ(stringForKey(defaults, "yes"), "1");
    EXPECT_EQ(stringForKey(defaults, "word"), "three");
    EXPECT_EQ(stringForKey(defaults, "absent"), std::nullopt);
}

}  // namespace
}  // namespace drawlume
