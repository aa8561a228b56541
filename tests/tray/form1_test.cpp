// SPDX-License-Identifier: MIT
#include "tray/form1.h"

#include <gmock/gmock.h>

#include "support/program_fixture.h"

namespace quorvel::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class Form1Test : public ProgramTest {};

TEST_F(Form1Test, StartUpHidesTheWindowAddsTheIconThenLoadsAndShowsTheBookmarks) {
    seed("Title url0", "ニュース");
    program.start();

    EXPECT_THAT(logOf({"window.", "tray.", "store.get Title url0", "store.get url4",
                       "menu.caption 0", "menu.caption 4"}),
                ElementsAre("window.create Form1", "window.visible Form1 0", "tray.add",
                            "store.get Title url0", "store.get url4", "menu.caption 0 ニュース",
                            "menu.caption 4 作者HP"));
    EXPECT_EQ(fake.userNameLookups, 0) << "the first left press looks the name up";

    ASSERT_TRUE(fake.trayIcon);
    const runtime::NotifyIconData& icon = *fake.trayIcon;
    EXPECT_EQ(icon.cbSize, 88u);
    ASSERT_NE(fake.windowTitled("Form1"), nullptr);
    EXPECT_EQ(icon.hWnd, fake.windowTitled("Form1")->handle);
    EXPECT_NE(icon.hWnd, 0u);
    EXPECT_EQ(icon.uID, 1u);
    EXPECT_EQ(icon.uFlags, 7u);
    EXPECT_EQ(icon.uCallbackMessage, 0x207u);
    EXPECT_EQ(icon.hIcon, FakeRuntime::kWindowIcon);
    EXPECT_EQ(icon.tip(), "Quorvel");
    EXPECT_EQ(std::string(icon.szTip.data(), 9), std::string("Quorvel\0 ", 9));
    EXPECT_EQ(icon.szTip.back(), ' ');
}

TEST_F(Form1Test, OnlyTheRightPressActsOnTheMenuAndEveryOtherMessageDoesNothing) {
    start();
    for (std::uint32_t message : {512u, 514u, 515u, 517u, 518u, 519u, 0u, 1u, 520u, 65535u}) {
        fake.pressIcon(message);
    }
    EXPECT_THAT(fake.log, IsEmpty());

    fake.pressIcon(516);
    EXPECT_THAT(fake.log,
                ElementsAre("foreground " + std::to_string(fake.windowTitled("Form1")->handle),
                            "menu.popup"));
}

TEST(Form1Decoding, HoldsAtEveryScreenDensity) {
    for (int twipsPerPixel : {15, 12, 10, 8, 1}) {
        FakeRuntime fake;
        fake.twipsPerPixel = twipsPerPixel;
        Program program(fake.runtime());
        program.start();
        fake.pressIcon(516);
        EXPECT_EQ(fake.popups, 1) << twipsPerPixel << " twips per pixel";
    }
}

TEST_F(Form1Test, QuitSavesRemovesTheIconAndEndsTheLoopInThatOrder) {
    seed("url2", "https://example.org/");
    start();
    fake.chooseFromTrayMenu("QuitMe");

    EXPECT_THAT(logOf({"store.", "tray.", "window.destroy", "loop."}),
                ElementsAre("store.save url0,Title url0,url1,Title url1,url2,Title url2,url3,"
                            "Title url3,url4,Title url4",
                            "tray.remove", "window.destroy Form1", "loop.quit"));
    EXPECT_FALSE(fake.trayIcon);
    EXPECT_EQ(fake.trayRemoves, 1);
    EXPECT_EQ(stored("url2"), "https://example.org/");
    EXPECT_EQ(stored("Title url4"), "作者HP");
    EXPECT_TRUE(fake.messages.empty());
}

TEST_F(Form1Test, QuitFromTheHostsOwnMenuEndsTheSameWay) {
    start();
    // No event of the form around the handler: the unload frees Form1 and its menu within it.
    fake.chooseFromHostMenu("QuitMe");
    EXPECT_THAT(logOf({"store.", "tray.", "window.destroy", "loop."}),
                ElementsAre("store.save url0,Title url0,url1,Title url1,url2,Title url2,url3,"
                            "Title url3,url4,Title url4",
                            "tray.remove", "window.destroy Form1", "loop.quit"));
}

TEST_F(Form1Test, AFailedSaveShowsOneStopMessageAndTheShutDownGoesOn) {
    seed("url0", "https://old.example/");
    start();
    fake.storeWritable = false;

    fake.chooseFromTrayMenu("QuitMe");

    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0].text, "URLを保存できませんでした。");
    EXPECT_EQ(fake.messages[0].title, "Quorvel 終了エラー");
    EXPECT_EQ(fake.messages[0].style, 16);
    EXPECT_THAT(logOf({"messagebox", "tray.", "loop."}),
                ElementsAre("messagebox Quorvel 終了エラー", "tray.remove", "loop.quit"));
    EXPECT_EQ(stored("url0"), "https://old.example/");
    EXPECT_EQ(stored("Title url0"), "<absent>");
}

TEST_F(Form1Test, WhileTheQuitFailureBoxWaitsTheHostsMenuOpensNothing) {
    start();
    fake.storeWritable = false;
    fake.whileMessageShown = [this] {
        for (const char* item : {"Url1", "EditURL", "ShowInfo", "QuitMe"}) {
            fake.chooseFromHostMenu(item);
        }
    };

    fake.chooseFromTrayMenu("QuitMe");

    EXPECT_EQ(fake.messages.size(), 1u);
    EXPECT_THAT(fake.opened, ElementsAre());
    EXPECT_THAT(logOf({"window.create"}), ElementsAre());
    EXPECT_EQ(logOf({"store.save"}).size(), 1u);
    EXPECT_TRUE(fake.loopEnded);
}

TEST_F(Form1Test, EveryEndRequestRunsTheSameUnloadOnce) {
    start();
    program.requestEnd(runtime::vbAppTaskManager);
    program.requestEnd(runtime::vbAppWindows);

    EXPECT_EQ(logOf({"store.save"}).size(), 1u);
    EXPECT_EQ(fake.trayRemoves, 1);
    EXPECT_TRUE(fake.loopEnded);
}

}  // namespace
}  // namespace quorvel::testing
