#include "runtime/posix/regular_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "runtime/posix/config_home.h"

namespace quorvel::runtime::posix {
namespace {

namespace fs = std::filesystem;
using Outcome = FileReading::Outcome;

TEST(RegularFile, OnlyARegularFileWithinTheBoundIsRead) {
    const fs::path root = fs::temp_directory_path() / ("quorvel-rf-" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root);
    std::ofstream(root / "small") << "0123456789";
    ASSERT_EQ(::mkfifo((root / "fifo").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", root / "zero");

    EXPECT_EQ(readRegularFile((root / "small").string(), 10).content, "0123456789");
    EXPECT_EQ(readRegularFile((root / "small").string(), 9).outcome, Outcome::Refused);
    EXPECT_EQ(readRegularFile((root / "none").string(), 9).outcome, Outcome::Missing);
    for (const char* odd : {"fifo", "zero", "."}) {
        const FileReading reading = readRegularFile((root / odd).string(), 1 << 20);
        EXPECT_EQ(reading.outcome, Outcome::Refused) << odd;
        EXPECT_NE(reading.reason.find("not a"), std::string::npos) << reading.reason;
        EXPECT_NE(notARegularFile((root / odd).string()), "") << odd;
    }
    EXPECT_EQ(notARegularFile((root / "small").string()), "");
    EXPECT_EQ(notARegularFile((root / "none").string()), "");
    fs::remove_all(root);
}

TEST(ConfigHome, ARelativeOrMissingFolderIsIgnoredAndTheRootIsNoHome) {
    EXPECT_EQ(configHome("/x/conf", "/home/u"), "/x/conf");
    EXPECT_EQ(configHome("conf", "/home/u"), "/home/u/.config");
    EXPECT_EQ(configHome(nullptr, "/home/u/"), "/home/u/.config");
    EXPECT_EQ(configHome("conf", "home/u"), "");
    EXPECT_EQ(configHome(nullptr, nullptr), "");
    EXPECT_EQ(configHome("", "/"), "");
}

}  // namespace
}  // namespace quorvel::runtime::posix
