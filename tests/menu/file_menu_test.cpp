// SPDX-License-Identifier: MIT
#include "menu/file_menu.h"

#include <gmock/gmock.h>

#include "bookmarks/bookmark_table.h"
#include "bookmarks/frm_url_edit_design.h"
#include "menu/help_path.h"
#include "support/program_fixture.h"

namespace quorvel::testing {
namespace {

using ::testing::ElementsAre;

class FileMenuTest : public ProgramTest {};

TEST_F(FileMenuTest, TheMenuListsTheTitlesUnchangedThenTheCommands) {
    seed("Title url0", "&Mail");
    seed("Title url1", "   ");
    start();
    EXPECT_THAT(fake.menuCaptions(), ElementsAre("&Mail", "   ", "作者HP", "作者HP", "作者HP", "-",
                                                 "URL編集", "ヘルプ", "-", "終了"));
}

TEST_F(FileMenuTest, EachBookmarkItemOpensItsOwnUrlExactlyAsStored) {
    const std::vector<std::string> urls{"https://a.example/", "$(touch /tmp/x); rm -rf ~", "-n",
                                        "https://d.example/?q=1&r=2", "mailto:x@y"};
    for (std::size_t i = 0; i < urls.size(); ++i) {
        seed("url" + std::to_string(i), urls[i]);
    }
    start();
    for (const char* item : {"Url5", "Url1", "Url3", "Url2", "Url4"}) {
        fake.chooseFromTrayMenu(item);
    }
    EXPECT_THAT(fake.opened, ElementsAre(urls[4], urls[0], urls[2], urls[1], urls[3]));
}

TEST_F(FileMenuTest, EachBookmarkItemCarriesItsUrlForScreenReadersAndFollowsTheEditor) {
    seed("url1", "https://two.example/");
    start();
    const std::string first = bookmarks::DefaultUrl;
    EXPECT_THAT(fake.menuDescriptions(), ElementsAre(first, "https://two.example/", first, first,
                                                     first, "", "", "", "", ""));

    fake.chooseFromTrayMenu("EditURL");
    auto* editor = fake.windowTitled(bookmarks::kUrlEditCaption);
    ASSERT_NE(editor, nullptr);
    fake.type(*editor, "txtURL", 3, "https://four.example/");
    fake.type(*editor, "txtURL", 1, "");
    fake.click(*editor, "cmdOK");
    EXPECT_EQ(fake.menuDescription(3), "https://four.example/");
    EXPECT_EQ(fake.menuDescription(1), first);
    EXPECT_EQ(fake.menuCaption(3), "作者HP");
}

TEST_F(FileMenuTest, BookmarksOpenWhatTheTableHoldsNow) {
    start();
    fake.chooseFromTrayMenu("EditURL");
    auto* editor = fake.windowTitled(bookmarks::kUrlEditCaption);
    ASSERT_NE(editor, nullptr);
    fake.type(*editor, "txtURL", 2, "https://changed.example/");
    fake.click(*editor, "cmdOK");
    seed("url2", "https://stored-later.example/");
    fake.chooseFromTrayMenu("Url3");
    EXPECT_THAT(fake.opened, ElementsAre("https://changed.example/"));
}

TEST_F(FileMenuTest, HelpOpensThePageBesideTheProgram) {
    fake.applicationFolder_ = "/opt/Quorvel";
    start();
    fake.chooseFromTrayMenu("ShowInfo");
    EXPECT_THAT(fake.opened, ElementsAre("/opt/Quorvel/Help/help.html"));
    EXPECT_TRUE(fake.messages.empty());
}

TEST(HelpPath, ExactlyOneSeparatorBeforeTheHelpFolder) {
    EXPECT_EQ(menu::helpPath("/opt/Quorvel", '/'), "/opt/Quorvel/Help/help.html");
    EXPECT_EQ(menu::helpPath("/opt/Quorvel/", '/'), "/opt/Quorvel/Help/help.html");
    EXPECT_EQ(menu::helpPath("/", '/'), "/Help/help.html");
    EXPECT_EQ(menu::helpPath("D:\\", '\\'), "D:\\Help\\help.html");
    EXPECT_EQ(menu::helpPath("C:\\Tools\\Bm", '\\'), "C:\\Tools\\Bm\\Help\\help.html");
}

}  // namespace
}  // namespace quorvel::testing
