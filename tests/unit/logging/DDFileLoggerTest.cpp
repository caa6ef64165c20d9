#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "logging/DDFileLogger.hpp"
#include "logging/FaultyLogFileSystem.hpp"
#include "logging/FileLoggerFixture.hpp"

namespace drawlume {
namespace {

namespace fs = std::filesystem;
using testing::FileLoggerFixture;
using testing::utc;
using testing::writeFile;

// Every line of these tests is 128 bytes: 23 for the time stamp, two blanks,
// 102 of text and the newline.
const std::string kText102(102, 'x');

class DDFileLoggerTest : public FileLoggerFixture {};

TEST_F(DDFileLoggerTest, NamesAndLinesCarryUtcTimeWhateverTheTimeZone) {
    // No other test of this process reads the local time.
    ::setenv("TZ", "Asia/Tokyo", 1);
    ::tzset();

    auto logger = makeLogger(makeManager());
    now_ = utc(2026, 12, 6, 23, 59, 59, 7);  // already the next day in Tokyo
    write(*logger, {"héllo wörld"});

    ASSERT_EQ(logFiles(), std::vector<std::string>{"drawlume-agent 2026-12-06--23-59-59-007.log"});
    EXPECT_EQ(content(logFiles()[0]), "2026/12/06 23:59:59:007  héllo wörld\n");
}

TEST_F(DDFileLoggerTest, RollsWhenTheFileReachesExactlyTheMaximumSize) {
    auto logger = makeLogger(makeManager());
    const uint64_t maximum = 5242880;
    const std::vector<std::string> fill(maximum / 128 - 1, kText102);
    write(*logger, fill);
    write(*logger, {kText102.substr(1)});  // 127 bytes: one short of the maximum
    ASSERT_EQ(logFiles().size(), 1u);
    const fs::path first = logDir_.path() / logFiles()[0];
    EXPECT_EQ(fs::file_size(first), maximum - 1);
    EXPECT_FALSE(hasArchivedAttribute(first));

    write(*logger, {"a"});  // reaches the maximum and passes it: rolled after this line
    EXPECT_TRUE(hasArchivedAttribute(first));
    EXPECT_EQ(logger->currentLogFilePath(), "");

    now_ += std::chrono::seconds(1);
    const std::vector<std::string> exact(maximum / 128, kText102);
    write(*logger, exact);  // exactly the maximum in the second file
    ASSERT_EQ(logFiles().size(), 2u);
    const fs::path second = logDir_.path() / logFiles()[1];
    EXPECT_EQ(fs::file_size(second), maximum);
    EXPECT_TRUE(hasArchivedAttribute(second));

    now_ += std::chrono::seconds(1);
    write(*logger, {"next"});
    ASSERT_EQ(logFiles().size(), 3u);
    EXPECT_EQ(content(logFiles()[2]), "2026/12/06 01:02:05:456  next\n");
}

TEST_F(DDFileLoggerTest, FourthFileDeletesTheOldestAndLeavesForeignFilesAlone) {
    const std::vector<std::string> foreign = {
        "notes.txt", "drawlume-agent.log", "other 2020-01-01--00-00-00-000.log",
        "drawlume-agent 2020-01-01--00-00-00-000.txt", "drawlume-agentx 2020.log"};
    for (const std::string& name : foreign) {
        writeFile(logDir_.path() / name, std::string(4096, 'f'));
    }
    auto manager = makeManager();
    manager->setMaximumNumberOfLogFiles(3);
    auto logger = makeLogger(manager, 256);
    std::vector<std::string> created;
    for (int file = 0; file < 4; ++file) {
        write(*logger, {kText102, kText102});  // two lines fill a file
        created.push_back(logFiles().back());
        now_ += std::chrono::seconds(1);
    }
    EXPECT_EQ(logFiles(), (std::vector<std::string>{created[1], created[2], created[3]}));

    write(*logger, {"fifth file"});
    EXPECT_EQ(logFiles(), (std::vector<std::string>{created[2], created[3], logFiles().back()}));
    EXPECT_EQ(logFiles().size(), 3u);
    for (const std::string& name : foreign) {
        EXPECT_TRUE(fs::exists(logDir_.path() / name)) << name;
    }
}

TEST_F(DDFileLoggerTest, RelaunchAppendsToTheNewestFileWhileItIsUsable) {
    write(*makeLogger(makeManager()), {"first run"});
    now_ += std::chrono::minutes(5);
    write(*makeLogger(makeManager()), {"second run"});
    ASSERT_EQ(logFiles().size(), 1u);
    const std::string text = content(logFiles()[0]);
    EXPECT_NE(text.find("  first run\n"), std::string::npos);
    EXPECT_NE(text.find("  second run\n"), std::string::npos);
}

// A symbolic link as the newest member: its target is never written through it.
TEST_F(DDFileLoggerTest, RelaunchNeverWritesThroughALinkedNewestFile) {
    const fs::path target = logDir_.path() / "target.txt";
    writeFile(target, "untouched");
    fs::create_symlink(target, logDir_.path() / "drawlume-agent 2030-01-01--00-00-00-000.log");
    now_ = utc(2031, 1, 1, 0, 0, 0, 0);
    write(*makeLogger(makeManager(), 1024), {"after link"});
    EXPECT_EQ(testing::readFile(target), "untouched");
    EXPECT_EQ(content(logFiles().back()), "2031/01/01 00:00:00:000  after link\n");
}

TEST_F(DDFileLoggerTest, FailedWriteTakesBackItsPartAndLosesOnlyThatLineAndIsToldOnce) {
    auto faulty = std::make_shared<testing::FaultyLogFileSystem>();
    auto logger = makeLogger(makeManager(faulty));
    faulty->failWritesContaining("poison", ENOSPC, 30);
    write(*logger, {"before", "poison line that fails half way", "after"});
    write(*logger, {"poison two"});
    faulty->failWritesContaining("", 0);
    write(*logger, {"healed"});

    ASSERT_EQ(logFiles().size(), 1u);
    EXPECT_EQ(content(logFiles()[0]),
              "2026/12/06 01:02:03:456  before\n"
              "2026/12/06 01:02:03:456  after\n"
              "2026/12/06 01:02:03:456  healed\n");
    const std::string expected = "DDFileLogger: Failed to write data: " + logDir_.str() + "/" +
                                 logFiles()[0] + ": No space left on device";
    EXPECT_EQ(reports(), std::vector<std::string>{expected});
}

}  // namespace
}  // namespace drawlume
