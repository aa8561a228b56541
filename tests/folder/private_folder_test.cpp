// SPDX-License-Identifier: MIT
#include "folder/private_folder.h"

#include <gmock/gmock.h>

#include <algorithm>

#include "support/program_fixture.h"

namespace quorvel::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Kind = runtime::PathInfo::Kind;

TEST(PrivateFolderPath, OneSeparatorBetweenTheProgramFolderAndTheUserName) {
    using folder::privateFolderPath;
    EXPECT_EQ(privateFolderPath("/opt/Quorvel", "taro", '/'), "/opt/Quorvel/taro");
    EXPECT_EQ(privateFolderPath("/opt/Quorvel/", "taro", '/'), "/opt/Quorvel/taro");
    EXPECT_EQ(privateFolderPath("/", "taro", '/'), "/taro");
    EXPECT_EQ(privateFolderPath("D:\\", "taro", '\\'), "D:\\taro");
}

class PrivateFolderTest : public ProgramTest {
  protected:
    const std::string folder = "/opt/Quorvel/taro";
};

TEST_F(PrivateFolderTest, TheFirstLeftPressNamesTheFolderAfterTheUserOrDefaultUser) {
    start();
    EXPECT_EQ(fake.userNameLookups, 0);
    fake.pressIcon(513);
    fake.pressIcon(513);
    EXPECT_EQ(fake.userNameLookups, 1);
    program.requestEnd(runtime::vbAppTaskManager);
    EXPECT_THAT(logOf({"mkdir", "close-window"}),
                ElementsAre("mkdir " + folder, "close-window " + folder));

    FakeRuntime nameless;
    nameless.userName_.reset();
    nameless.applicationFolder_ = "/";
    Program other(nameless.runtime());
    other.start();
    nameless.pressIcon(513);
    other.requestEnd(runtime::vbAppTaskManager);
    EXPECT_THAT(nameless.opened, ElementsAre("/Default User"));
    EXPECT_NE(std::find(nameless.log.begin(), nameless.log.end(), "close-window /Default User"),
              nameless.log.end());
}

TEST_F(PrivateFolderTest, TheFirstLeftPressCreatesTheFolderThenEveryPressOpensIt) {
    start();
    fake.pressIcon(513);
    fake.pressIcon(513);
    fake.pressIcon(515);  // the second press of a double click
    EXPECT_THAT(fake.log, ElementsAre("mkdir " + folder, "open " + folder, "open " + folder));
    EXPECT_TRUE(fake.messages.empty());
}

TEST_F(PrivateFolderTest, ANameTakenByAnythingButTheUsersOwnDirectoryOpensNothing) {
    const std::vector<runtime::PathInfo> taken{{Kind::SymbolicLink, true},
                                               {Kind::Other, true},
                                               {Kind::Directory, false},
                                               {Kind::SymbolicLink, false}};
    for (const auto& info : taken) {
        FakeRuntime world;
        world.paths[folder] = info;
        Program run(world.runtime());
        run.start();
        world.pressIcon(513);

        EXPECT_THAT(world.opened, IsEmpty());
        ASSERT_EQ(world.messages.size(), 1u);
        EXPECT_EQ(world.messages[0].title.rfind("Quorvel", 0), 0u);
        EXPECT_NE(world.messages[0].text.find(folder), std::string::npos);
        EXPECT_EQ(world.messages[0].style, 16);
        EXPECT_EQ(world.paths[folder].kind, info.kind) << "left as it was";
    }
}

TEST_F(PrivateFolderTest, AFolderThatCannotBeCreatedIsReportedAndTheProgramGoesOn) {
    fake.directoriesCreatable = false;
    start();
    fake.pressIcon(513);
    EXPECT_THAT(fake.opened, IsEmpty());
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_NE(fake.messages[0].text.find("作成できませんでした"), std::string::npos);
    EXPECT_NE(fake.messages[0].text.find(folder), std::string::npos);

    fake.pressIcon(516);
    EXPECT_EQ(fake.popups, 1);
}

TEST_F(PrivateFolderTest, AtExitTheFolderWindowThisRunOpenedIsClosedAfterTheSave) {
    fake.windowTitles = {"Documents", "taro"};  // the home folder /home/taro shows the same name
    start();
    fake.pressIcon(513);
    fake.windowTitles.push_back("taro");  // what the open brought up
    fake.pressIcon(513);                  // a second open notes nothing new
    fake.chooseFromTrayMenu("QuitMe");
    EXPECT_THAT(logOf({"store.save", "tray.remove", "close-window", "window.destroy", "loop."}),
                ElementsAre(::testing::StartsWith("store.save"), "tray.remove",
                            "close-window " + folder, "window.destroy Form1", "loop.quit"));
    EXPECT_THAT(fake.windowTitles, ElementsAre("Documents", "taro"));
    EXPECT_EQ(fake.windowsBeforeOpen, 1u);
}

TEST_F(PrivateFolderTest, AWindowTitledWithTheUserNameIsLeftAloneUnlessThisRunOpenedTheFolder) {
    // Never pressed; then pressed but refused (a file has the folder's name), so nothing opened.
    for (const bool nameTaken : {false, true}) {
        FakeRuntime world;
        world.windowTitles = {"taro"};
        if (nameTaken) {
            world.paths[folder] = {Kind::Other, true};
        }
        Program run(world.runtime());
        run.start();
        if (nameTaken) {
            world.pressIcon(513);
            ASSERT_THAT(world.opened, IsEmpty());
        }
        world.chooseFromTrayMenu("QuitMe");
        EXPECT_TRUE(world.loopEnded);
        EXPECT_THAT(world.windowTitles, ElementsAre("taro"));
        for (const auto& entry : world.log) {
            EXPECT_EQ(entry.rfind("close-window", 0), std::string::npos) << entry;
        }
    }
}

TEST_F(PrivateFolderTest, AFailureToCloseTheFolderWindowIsSilent) {
    for (bool throws : {false, true}) {
        FakeRuntime world;
        world.desktopFails = throws;
        Program run(world.runtime());
        run.start();
        world.pressIcon(513);
        ASSERT_EQ(world.opened.size(), 1u);
        run.requestEnd(runtime::vbAppTaskManager);
        EXPECT_NE(std::find(world.log.begin(), world.log.end(), "close-window " + folder),
                  world.log.end());
        EXPECT_TRUE(world.messages.empty());
        EXPECT_TRUE(world.loopEnded);
    }
}

}  // namespace
}  // namespace quorvel::testing
