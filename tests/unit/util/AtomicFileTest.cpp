#include <filesystem>
#include <iterator>
#include <string>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "TempDirectory.hpp"
#include "util/AtomicFile.hpp"

namespace drawlume {
namespace {

using testing::readFile;
using testing::writeFile;

TEST(AtomicFileTest, NewFileIsPrivateAndAnExistingOneKeepsItsPermissions) {
    testing::TempDirectory folder;
    const std::string path = (folder.path() / "a" / "b" / "file").string();
    ASSERT_FALSE(writeFileAtomically(path, "one").failed());
    EXPECT_EQ(readFile(path), "one");
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);

    ::chmod(path.c_str(), 0644);
    ASSERT_FALSE(writeFileAtomically(path, "two").failed());
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0644u);
    EXPECT_EQ(readFile(path), "two");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path() / "a" / "b"), {}), 1);
}

TEST(AtomicFileTest, FailedReplaceLeavesTargetAndNoTemporaryFile) {
    testing::TempDirectory folder;
    // A non-empty folder cannot be renamed over.
    const std::filesystem::path target = folder.path() / "target";
    std::filesystem::create_directories(target);
    writeFile(target / "kept", "kept");
    const FileError error = writeFileAtomically(target.string(), "new");
    EXPECT_TRUE(error.failed());
    EXPECT_STREQ(error.operation, "rename");
    EXPECT_EQ(readFile(target / "kept"), "kept");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
}

}  // namespace
}  // namespace drawlume
