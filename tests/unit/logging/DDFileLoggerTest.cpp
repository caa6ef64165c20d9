#include <csignal>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/resource.h>

#include "logging/DDFileLogger.hpp"
#include "logging/DDLogFileManagerDefault.hpp"
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

    now_ += std::chrono::seconds(1);
    const std::vector<std::string> exact(maximum / 128, kText102);
    write(*logger, exact);  // exactly the maximum in the second file
    ASSERT_EQ(logFiles().size(), 2u);
    const fs::path second = logDir_.path() / logFiles()[1];
    EXPECT_EQ(fs::file_size(second), maximum);
    EXPECT_TRUE(hasArchivedAttribute(second));
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

// The newest file is appended to on a relaunch, but never written through a
// symbolic link: a linked newest member starts a file of its own. Names and
// lines carry UTC time whatever the time zone.
TEST_F(DDFileLoggerTest, RelaunchAppendsToTheNewestFileInUtcButNeverThroughALink) {
    // No other test of this process reads the local time.
    ::setenv("TZ", "Asia/Tokyo", 1);
    ::tzset();
    now_ = utc(2026, 12, 6, 23, 59, 59, 7);  // already the next day in Tokyo
    write(*makeLogger(makeManager()), {"first run: héllo wörld"});
    now_ += std::chrono::minutes(5);
    write(*makeLogger(makeManager()), {"second run"});
    ASSERT_EQ(logFiles(), std::vector<std::string>{"drawlume-agent 2026-12-06--23-59-59-007.log"});
    EXPECT_EQ(content(logFiles()[0]),
              "2026/12/06 23:59:59:007  first run: héllo wörld\n"
              "2026/12/07 00:04:59:007  second run\n");

    const fs::path target = logDir_.path() / "target.txt";
    writeFile(target, "untouched");
    fs::create_symlink(target, logDir_.path() / "drawlume-agent 2030-01-01--00-00-00-000.log");
    now_ = utc(2031, 1, 1, 0, 0, 0, 0);
    write(*makeLogger(makeManager(), 1024), {"after link"});
    EXPECT_EQ(testing::readFile(target), "untouched");
    EXPECT_EQ(content(logFiles().back()), "2031/01/01 00:00:00:000  after link\n");
}

// A write that would grow the file past the process's file size limit writes
// up to it and then fails (EFBIG), as a write to a full disk does.
TEST_F(DDFileLoggerTest, FailedWriteTakesBackItsPartAndLosesOnlyThatLineAndIsToldOnce) {
    auto logger = makeLogger(makeManager());
    // A line is 25 bytes of stamp and blanks, its text and a newline: "before"
    // and "after" fit under 70 bytes, neither line with "poison" does.
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit unlimited{};
    ::getrlimit(RLIMIT_FSIZE, &unlimited);
    const rlimit limit{70, unlimited.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    write(*logger, {"before", "poison line that fails half way", "after"});
    write(*logger, {"poison two"});
    ::setrlimit(RLIMIT_FSIZE, &unlimited);
    write(*logger, {"healed"});

    ASSERT_EQ(logFiles().size(), 1u);
    EXPECT_EQ(content(logFiles()[0]),
              "2026/12/06 01:02:03:456  before\n"
              "2026/12/06 01:02:03:456  after\n"
              "2026/12/06 01:02:03:456  healed\n");
    const std::string expected = "DDFileLogger: Failed to write data: " + logDir_.str() + "/" +
                                 logFiles()[0] + ": File too large";
    EXPECT_EQ(reports(), std::vector<std::string>{expected});
}

class DDLogFileManagerDefaultTest : public FileLoggerFixture {
protected:
    // Member files named for their minute of 2026-01-01, oldest first, each of the given size.
    void makeFiles(const std::vector<size_t>& sizes) {
        for (size_t i = 0; i < sizes.size(); ++i) {
            const std::string name = "drawlume-agent 2026-01-01--00-" +
                                     std::string(i < 10 ? "0" : "") + std::to_string(i) +
                                     "-00-000.log";
            testing::writeFile(logDir_.path() / name, std::string(sizes[i], 'x'));
        }
    }
    std::vector<std::string> minutesLeft() {
        std::vector<std::string> minutes;
        for (const std::string& name : logFiles()) {
            minutes.push_back(name.substr(std::string("drawlume-agent 2026-01-01--00-").size(), 2));
        }
        return minutes;
    }
};

// Files are ranked newest first by the time in their names, whatever their
// modification times say.
TEST_F(DDLogFileManagerDefaultTest, CutIsTheSmallerOfCountAndQuotaAmongTheNewestByName) {
    struct Case {
        uint64_t maximumFiles;
        uint64_t quota;
        std::vector<std::string> left;
    };
    // Four files of 100 bytes; newest are minutes 03, 02, 01, 00.
    const std::vector<Case> cases = {
        {3, 0, {"01", "02", "03"}},           // count alone
        {3, 250, {"02", "03"}},               // quota cut (at the third file) is smaller
        {1, 250, {"03"}},                     // count is smaller
        {0, 250, {"02", "03"}},               // quota alone
        {0, 1000, {"00", "01", "02", "03"}},  // neither applies
        {10, 0, {"00", "01", "02", "03"}},
    };
    for (const Case& c : cases) {
        fs::remove_all(logDir_.path());
        fs::create_directory(logDir_.path());
        makeFiles({100, 100, 100, 100});
        // Written last, the oldest by name must not count as the newest.
        testing::writeFile(logDir_.path() / "drawlume-agent 2026-01-01--00-00-00-000.log",
                           std::string(100, 'y'));
        auto manager = makeManager();
        manager->setMaximumNumberOfLogFiles(c.maximumFiles);
        manager->setLogFilesDiskQuota(c.quota);
        manager->deleteOldLogFiles();
        EXPECT_EQ(minutesLeft(), c.left) << c.maximumFiles << " files, quota " << c.quota;
    }
}

}  // namespace
}  // namespace drawlume
