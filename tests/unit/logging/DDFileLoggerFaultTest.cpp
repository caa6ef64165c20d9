#include <cerrno>
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
using testing::FaultyLogFileSystem;
using testing::FileLoggerFixture;
using Op = FaultyLogFileSystem::Op;

class DDFileLoggerFaultTest : public FileLoggerFixture {
protected:
    std::shared_ptr<FaultyLogFileSystem> faulty_ = std::make_shared<FaultyLogFileSystem>();
};

TEST_F(DDFileLoggerFaultTest, FailedWriteLosesOnlyThatLineAndIsToldOnce) {
    auto logger = makeLogger(makeManager(faulty_));
    faulty_->failWritesContaining("poison", ENOSPC);
    write(*logger, {"before", "poison one", "after"});
    write(*logger, {"poison two"});
    faulty_->healWrites();
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

TEST_F(DDFileLoggerFaultTest, PartOfAFailedWriteIsTakenBackFromTheFile) {
    auto logger = makeLogger(makeManager(faulty_));
    faulty_->failWritesContaining("poison", EIO, 30);
    write(*logger, {"kept", "poison line that fails half way"});
    faulty_->healWrites();
    write(*logger, {"next"});
    ASSERT_EQ(logFiles().size(), 1u);
    EXPECT_EQ(content(logFiles()[0]),
              "2026/12/06 01:02:03:456  kept\n"
              "2026/12/06 01:02:03:456  next\n");
}

TEST_F(DDFileLoggerFaultTest, UnusableDirectoryLosesLinesUntilItCanBeCreated) {
    // A regular file where the log directory's parent should be: mkdir fails for real.
    const fs::path blocker = logDir_.path() / "state";
    testing::writeFile(blocker, "not a directory");
    auto manager = std::make_shared<DDLogFileManagerDefault>(
        (blocker / "Logs" / "drawlume-agent").string(), kApp, posixLogFileSystem(),
        [this] { return now_; });
    auto logger = makeLogger(manager);
    write(*logger, {"lost"});
    EXPECT_TRUE(reported("DDFileLogManagerDefault: Error creating logsDirectory: " +
                         blocker.string() + "/Logs/drawlume-agent: Not a directory"));
    EXPECT_TRUE(reported("DDFileLogger: Failed to create new log file: "));

    fs::remove(blocker);
    write(*logger, {"kept"});
    const fs::path directory = blocker / "Logs" / "drawlume-agent";
    ASSERT_TRUE(fs::is_directory(directory));
    const auto entry = *fs::directory_iterator(directory);
    EXPECT_EQ(testing::readFile(entry.path()), "2026/12/06 01:02:03:456  kept\n");
}

TEST_F(DDFileLoggerFaultTest, DeletedFileOrDirectoryIsReplacedAtTheNextLine) {
    auto logger = makeLogger(makeManager());
    write(*logger, {"one"});
    fs::remove(logDir_.path() / logFiles()[0]);
    now_ += std::chrono::seconds(1);
    write(*logger, {"two"});
    ASSERT_EQ(logFiles().size(), 1u);
    EXPECT_EQ(content(logFiles()[0]), "2026/12/06 01:02:04:456  two\n");

    fs::remove_all(logDir_.path());
    now_ += std::chrono::seconds(1);
    write(*logger, {"three"});
    ASSERT_EQ(logFiles().size(), 1u);
    EXPECT_EQ(content(logFiles()[0]), "2026/12/06 01:02:05:456  three\n");
}

TEST_F(DDFileLoggerFaultTest, WithoutExtendedAttributesArchivedFilesAreRenamedAndStillCounted) {
    faulty_->fail(Op::setAttribute, ENOTSUP);
    faulty_->fail(Op::hasAttribute, ENOTSUP);
    auto manager = makeManager(faulty_);
    manager->setMaximumNumberOfLogFiles(2);
    write(*makeLogger(manager, 256), {std::string(102, 'x'), std::string(102, 'y')});
    ASSERT_EQ(logFiles(),
              std::vector<std::string>{"drawlume-agent 2026-12-06--01-02-03-456 archived.log"});

    // A relaunch does not write the archived file again.
    now_ += std::chrono::seconds(1);
    auto relaunchedManager = makeManager(faulty_);
    relaunchedManager->setMaximumNumberOfLogFiles(2);
    auto relaunched = makeLogger(relaunchedManager, 256);
    write(*relaunched, {"relaunched"});
    EXPECT_EQ(logFiles(),
              (std::vector<std::string>{"drawlume-agent 2026-12-06--01-02-03-456 archived.log",
                                        "drawlume-agent 2026-12-06--01-02-04-456.log"}));

    // The archived file still counts: a third file pushes it out.
    write(*relaunched, {std::string(200, 'z')});
    now_ += std::chrono::seconds(1);
    write(*relaunched, {"third"});
    EXPECT_EQ(logFiles(),
              (std::vector<std::string>{"drawlume-agent 2026-12-06--01-02-04-456 archived.log",
                                        "drawlume-agent 2026-12-06--01-02-05-456.log"}));
}

}  // namespace
}  // namespace drawlume
