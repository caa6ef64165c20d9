#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "logging/DDLogFileManagerDefault.hpp"
#include "logging/FileLoggerFixture.hpp"

namespace drawlume {
namespace {

namespace fs = std::filesystem;
using testing::FileLoggerFixture;

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

TEST_F(DDLogFileManagerDefaultTest, SortsNewestFirstByTheTimeInTheName) {
    makeFiles({10, 10, 10});
    // Touching the oldest must not make it the newest.
    testing::writeFile(logDir_.path() / "drawlume-agent 2026-01-01--00-00-00-000.log", "again");
    const auto infos = makeManager()->sortedLogFileInfos();
    ASSERT_EQ(infos.size(), 3u);
    EXPECT_EQ(infos[0].fileName, "drawlume-agent 2026-01-01--00-02-00-000.log");
    EXPECT_EQ(infos[2].fileName, "drawlume-agent 2026-01-01--00-00-00-000.log");
    EXPECT_EQ(infos[2].fileSize, 5u);
}

TEST_F(DDLogFileManagerDefaultTest, CutIsTheSmallerOfCountAndQuota) {
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
        auto manager = makeManager();
        manager->setMaximumNumberOfLogFiles(c.maximumFiles);
        manager->setLogFilesDiskQuota(c.quota);
        manager->deleteOldLogFiles();
        EXPECT_EQ(minutesLeft(), c.left) << c.maximumFiles << " files, quota " << c.quota;
    }
}

}  // namespace
}  // namespace drawlume
