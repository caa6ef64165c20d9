#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "LogCapture.hpp"
#include "TempDirectory.hpp"
#include "platform/fake/ManualClocks.hpp"
#include "settings/JsonFileUserDefaults.hpp"

namespace drawlume {
namespace {

using testing::readFile;
using testing::writeFile;

class JsonFileUserDefaultsTest : public ::testing::Test {
protected:
    void SetUp() override {
        // 2025-01-06 10:15:02 UTC.
        clocks_.setSecondsSinceReferenceDate(757851302.25);
    }

    std::filesystem::path settingsPath() const {
        return folder_.path() / "config" / "defaults.json";
    }

    testing::TempDirectory folder_;
    ManualClocks clocks_;
};

TEST_F(JsonFileUserDefaultsTest, ValuesKeepTheirTypeAcrossLaunches) {
    {
        JsonFileUserDefaults defaults(settingsPath().string(), clocks_);
        defaults.set("flag", false);
        defaults.set("text", std::string("false"));
        defaults.set("zero", int64_t{0});
        defaults.set("large", int64_t{-9223372036854775807 - 1});
        defaults.set("gone", std::string("soon"));
        defaults.remove("gone");
    }
    JsonFileUserDefaults reopened(settingsPath().string(), clocks_);
    EXPECT_EQ(reopened.object("flag"), DefaultsValue(false));
    EXPECT_EQ(reopened.object("text"), DefaultsValue(std::string("false")));
    EXPECT_EQ(reopened.object("zero"), DefaultsValue(int64_t{0}));
    EXPECT_EQ(reopened.object("large"), DefaultsValue(int64_t{-9223372036854775807 - 1}));
    EXPECT_EQ(reopened.object("gone"), std::nullopt);
}

TEST_F(JsonFileUserDefaultsTest, HandEditedValuesOfOtherTypesAreKeptButNotRead) {
    std::filesystem::create_directories(settingsPath().parent_path());
    writeFile(settingsPath(),
              R"({"ratio": 1.5, "list": [1, 2], "huge": 18446744073709551615, "index": 2})");
    testing::LogCapture log;
    JsonFileUserDefaults defaults(settingsPath().string(), clocks_);
    EXPECT_EQ(defaults.object("ratio"), std::nullopt);
    EXPECT_EQ(defaults.object("huge"), std::nullopt);
    EXPECT_EQ(defaults.object("index"), DefaultsValue(int64_t{2}));
    EXPECT_EQ(log.lines().size(), 3u);

    defaults.set("index", int64_t{0});
    const std::string written = readFile(settingsPath());
    EXPECT_NE(written.find("\"ratio\": 1.5"), std::string::npos) << written;
    EXPECT_NE(written.find("18446744073709551615"), std::string::npos) << written;
    EXPECT_NE(written.find("\"index\": 0"), std::string::npos) << written;
}

// The VM run pins that a damaged file is kept aside unchanged and the agent
// starts; here, what counts as damaged (among it nesting without end, which
// must be refused before it runs the reader out of stack), that the log names
// the fault and where the file went, and that each damaged file of the same
// second gets a name of its own.
TEST_F(JsonFileUserDefaultsTest, CorruptFileIsMovedAsideWithATimeStampAndSettingsStartEmpty) {
    std::filesystem::create_directories(settingsPath().parent_path());
    const std::string deep = "{\"a\": " + std::string(200, '[') + std::string(200, ']') + "}";
    const std::string stamped = settingsPath().string() + ".corrupt-2025-01-06T10-15-02Z";
    std::string aside = stamped;
    int next = 2;
    for (const std::string text :
         {"{\"selectedMonitorIndex\": 1,", "[1]", "\"text\"", "{\"a\": 1} trailing", "{\"a\": tru}",
          "{\"bad\": \"\xff\"}", deep.c_str()}) {
        writeFile(settingsPath(), text);
        testing::LogCapture log;
        JsonFileUserDefaults defaults(settingsPath().string(), clocks_);
        EXPECT_EQ(defaults.object("selectedMonitorIndex"), std::nullopt) << text;
        EXPECT_EQ(readFile(aside), text);
        ASSERT_EQ(log.lines().size(), 1u) << text;
        EXPECT_NE(log.lines()[0].find("moved it to " + aside), std::string::npos) << log.lines()[0];
        EXPECT_EQ(log.lines()[0].find("parsed ()"), std::string::npos) << log.lines()[0];
        aside = stamped + "-" + std::to_string(next++);
    }
    // A blank file is no settings yet, not damage.
    writeFile(settingsPath(), " \n\t");
    JsonFileUserDefaults blank(settingsPath().string(), clocks_);
    EXPECT_FALSE(std::filesystem::exists(aside));
}

TEST_F(JsonFileUserDefaultsTest, UnreadableFileIsNeverWrittenOver) {
    // A folder where the file should be: it cannot be read, nor replaced.
    std::filesystem::create_directories(settingsPath() / "inside");
    testing::LogCapture log;
    JsonFileUserDefaults defaults(settingsPath().string(), clocks_);
    EXPECT_FALSE(defaults.savesChanges());
    defaults.set("selectedAppLanguage", std::string("ja"));
    EXPECT_EQ(defaults.object("selectedAppLanguage"), DefaultsValue(std::string("ja")));
    EXPECT_TRUE(std::filesystem::is_directory(settingsPath() / "inside"));
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_NE(log.lines()[0].find("Could not read the settings file"), std::string::npos);
}

TEST_F(JsonFileUserDefaultsTest, LinkedSettingsFileStaysALink) {
    const std::filesystem::path real = folder_.path() / "dotfiles" / "defaults.json";
    std::filesystem::create_directories(real.parent_path());
    std::filesystem::create_directories(settingsPath().parent_path());
    writeFile(real, "{}");
    std::filesystem::create_symlink(real, settingsPath());

    JsonFileUserDefaults defaults(settingsPath().string(), clocks_);
    defaults.set("selectedAppLanguage", std::string("ru"));
    EXPECT_TRUE(std::filesystem::is_symlink(settingsPath()));
    EXPECT_NE(readFile(real).find("\"ru\""), std::string::npos);
}

}  // namespace
}  // namespace drawlume
