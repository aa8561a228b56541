// SPDX-License-Identifier: MIT
#include "runtime/posix/config_home.h"

#include <gtest/gtest.h>

namespace quorvel::runtime::posix {
namespace {

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
