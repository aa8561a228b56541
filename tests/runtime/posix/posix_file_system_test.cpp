// SPDX-License-Identifier: MIT
#include "runtime/posix/posix_file_system.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace quorvel::runtime::posix {
namespace {

namespace fs = std::filesystem;
using Kind = PathInfo::Kind;

class PosixFileSystemTest : public ::testing::Test {
  protected:
    void SetUp() override {
        root = fs::temp_directory_path() /
               ("quorvel-fs-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        fs::create_directories(root);
    }
    void TearDown() override { fs::remove_all(root); }

    fs::path root;
    PosixFileSystem files;
};

TEST_F(PosixFileSystemTest, TellsDirectoriesLinksAndFilesApartWithoutFollowingLinks) {
    fs::create_directory(root / "dir");
    std::ofstream(root / "file") << "x";
    fs::create_directory_symlink(root / "dir", root / "link-to-dir");
    fs::create_symlink(root / "nowhere", root / "dangling");

    EXPECT_EQ(files.examine((root / "dir").string())->kind, Kind::Directory);
    EXPECT_TRUE(files.examine((root / "dir").string())->ownedByCurrentUser);
    EXPECT_EQ(files.examine((root / "file").string())->kind, Kind::Other);
    EXPECT_EQ(files.examine((root / "link-to-dir").string())->kind, Kind::SymbolicLink);
    EXPECT_EQ(files.examine((root / "dangling").string())->kind, Kind::SymbolicLink);
    EXPECT_FALSE(files.examine((root / "missing").string()));
    EXPECT_FALSE(files.examine(""));
}

TEST_F(PosixFileSystemTest, CreatesOnePrivateLevelAndNeverReusesAName) {
    const fs::path folder = root / "taro";
    const mode_t umaskBefore = ::umask(0277);
    ASSERT_TRUE(files.createPrivateDirectory(folder.string()));
    ::umask(umaskBefore);
    struct stat status {};
    ASSERT_EQ(::stat(folder.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0700u);

    EXPECT_FALSE(files.createPrivateDirectory(folder.string()));
    EXPECT_FALSE(files.createPrivateDirectory((root / "a" / "b").string()));
    fs::create_symlink(root / "elsewhere", root / "link");
    EXPECT_FALSE(files.createPrivateDirectory((root / "link").string()));
    EXPECT_FALSE(fs::exists(root / "elsewhere"));
}

}  // namespace
}  // namespace quorvel::runtime::posix
