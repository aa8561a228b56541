// SPDX-License-Identifier: MIT
#include "bookmarks/frm_url_edit.h"

#include <gmock/gmock.h>

#include "bookmarks/frm_url_edit_design.h"
#include "support/program_fixture.h"

namespace quorvel::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class UrlEditorTest : public ProgramTest {
  protected:
    FakeRuntime::Window* openEditor() {
        fake.chooseFromTrayMenu("EditURL");
        return fake.windowTitled(bookmarks::kUrlEditCaption);
    }
    void typeRow(FakeRuntime::Window& editor, int row, const std::string& title,
                 const std::string& url) {
        fake.type(editor, "txtTitle", row, title);
        fake.type(editor, "txtURL", row, url);
    }
};

TEST_F(UrlEditorTest, OpensModelessWithTheTableInItsBoxes) {
    seed("Title url2", "三番");
    start();
    auto* editor = openEditor();
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(editor->visible);
    EXPECT_EQ(editor->text("txtTitle", 2), "三番");
    EXPECT_EQ(editor->text("txtTitle", 0), "作者HP");
    EXPECT_EQ(editor->text("txtURL", 4), "http://www.quorvel.example/");

    // The menu keeps working, and opens the table's URL, not the box's.
    typeRow(*editor, 0, "typed", "https://typed.example/");
    fake.chooseFromTrayMenu("Url1");
    EXPECT_THAT(fake.opened, ElementsAre("http://www.quorvel.example/"));
}

TEST_F(UrlEditorTest, OkTakesEveryBoxWithDefaultsForEmptyOnesThenRefreshesTheMenuAndSaves) {
    start();
    auto* editor = openEditor();
    typeRow(*editor, 0, "ニュース", "https://news.example/");
    typeRow(*editor, 1, "   ", "");
    typeRow(*editor, 2, "", "https://only-url.example/");
    typeRow(*editor, 3, "", "");
    typeRow(*editor, 4, "&Mail", " ");
    fake.log.clear();
    fake.click(*editor, "cmdOK");

    const std::string first = bookmarks::DefaultUrl;
    EXPECT_THAT(fake.menuCaptions(), ElementsAre("ニュース", "   ", "作者HP", "作者HP", "&Mail",
                                                 "-", "URL編集", "ヘルプ", "-", "終了"));
    EXPECT_THAT(fake.menuDescriptions(),
                ElementsAre("https://news.example/", first, "https://only-url.example/", first, " ",
                            "", "", "", "", ""));
    EXPECT_THAT(logOf({"menu.caption 0", "menu.caption 4", "store.save", "window.destroy"}),
                ElementsAre("menu.caption 0 ニュース", "menu.caption 4 &Mail",
                            ::testing::StartsWith("store.save url0,"),
                            "window.destroy " + std::string(bookmarks::kUrlEditCaption)));
    EXPECT_EQ(stored("Title url0"), "ニュース");
    EXPECT_EQ(stored("url4"), " ");
    EXPECT_EQ(fake.windowTitled(bookmarks::kUrlEditCaption), nullptr);
}

TEST_F(UrlEditorTest, AFailedSaveAtOkSaysSoButTheTableAndMenuTakeTheEditsAndExitTriesAgain) {
    start();
    auto* editor = openEditor();
    typeRow(*editor, 3, "四", "https://four.example/");
    fake.storeWritable = false;
    fake.click(*editor, "cmdOK");

    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0].title, "Quorvel エラー");
    EXPECT_EQ(fake.messages[0].text, "URLを保存できませんでした。");
    EXPECT_EQ(fake.messages[0].details, fake.storeFailure);
    EXPECT_EQ(fake.menuCaption(3), "四");
    EXPECT_EQ(fake.menuDescription(3), "https://four.example/");

    fake.storeWritable = true;
    fake.chooseFromTrayMenu("QuitMe");
    EXPECT_EQ(stored("url3"), "https://four.example/");
    EXPECT_EQ(fake.messages.size(), 1u);
}

TEST_F(UrlEditorTest, OkKeepsRowsAnotherCopySavedMeanwhileAndTheMenuShowsThem) {
    start();
    auto* editor = openEditor();
    seed("Title url2", "other copy's");  // confirmed in another copy while this editor is open
    seed("url2", "https://other.example/");
    typeRow(*editor, 0, "mine", "https://mine.example/");
    fake.click(*editor, "cmdOK");

    EXPECT_TRUE(fake.messages.empty());
    EXPECT_EQ(stored("Title url0"), "mine");
    EXPECT_EQ(stored("Title url2"), "other copy's");
    EXPECT_EQ(stored("url2"), "https://other.example/");
    EXPECT_EQ(fake.menuDescription(2), "https://other.example/");
    EXPECT_EQ(fake.menuCaption(0), "mine");
    EXPECT_EQ(fake.menuCaption(2), "other copy's");

    fake.chooseFromTrayMenu("QuitMe");
    EXPECT_EQ(stored("Title url2"), "other copy's");
}

TEST_F(UrlEditorTest, CancelAndTheCloseCommandTakeNothingAndTheNextOpeningShowsTheTable) {
    start();
    auto* editor = openEditor();
    typeRow(*editor, 0, "cancelled", "https://cancelled.example/");
    fake.click(*editor, "Command1");
    EXPECT_EQ(fake.windowTitled(bookmarks::kUrlEditCaption), nullptr);

    editor = openEditor();
    EXPECT_EQ(editor->text("txtTitle", 0), "作者HP");
    typeRow(*editor, 0, "closed", "https://closed.example/");
    fake.closeByTitleBar(*editor);
    EXPECT_EQ(fake.windowTitled(bookmarks::kUrlEditCaption), nullptr);

    editor = openEditor();
    EXPECT_EQ(editor->text("txtTitle", 0), "作者HP");
    EXPECT_EQ(fake.menuCaption(0), "作者HP");
    EXPECT_THAT(logOf({"store.save"}), IsEmpty());
    EXPECT_FALSE(fake.loopEnded);
}

TEST_F(UrlEditorTest, OpeningItAgainShowsTheSameWindowWithTheTypingIntact) {
    start();
    auto* editor = openEditor();
    fake.type(*editor, "txtTitle", 1, "half typed");
    auto* again = openEditor();
    EXPECT_EQ(again, editor);
    EXPECT_EQ(again->text("txtTitle", 1), "half typed");
    EXPECT_EQ(again->timesShown, 2);
    EXPECT_EQ(logOf({"window.create Quorvel"}).size(), 1u);
}

TEST_F(UrlEditorTest, QuittingWhileItIsOpenSavesTheConfirmedTableThenClosesIt) {
    start();
    fake.pressIcon(513);  // the folder was opened, so its window is closed too
    auto* editor = openEditor();
    typeRow(*editor, 2, "unconfirmed", "https://unconfirmed.example/");
    fake.log.clear();
    fake.chooseFromTrayMenu("QuitMe");

    EXPECT_EQ(stored("Title url2"), "作者HP");
    EXPECT_THAT(
        logOf({"store.save", "tray.remove", "close-window", "window.destroy", "loop."}),
        ElementsAre(::testing::StartsWith("store.save"), "tray.remove",
                    "close-window /opt/Quorvel/taro", "window.destroy Quorvel Private URL Editor",
                    "window.destroy Form1", "loop.quit"));
}

TEST(UrlEditorDesign, FocusOrderRunsOkCancelThenTitleAndUrlRowByRow) {
    std::vector<std::pair<int, std::string>> focusable;
    for (const auto& control : bookmarks::frmUrlEditDesign().controls) {
        if (control.kind != runtime::ControlKind::Label) {
            focusable.emplace_back(control.tabIndex,
                                   control.name + std::to_string(std::max(control.index, 0)));
        }
    }
    std::sort(focusable.begin(), focusable.end());
    std::vector<std::string> order;
    for (const auto& entry : focusable) {
        order.push_back(entry.second);
    }
    EXPECT_THAT(
        order, ElementsAre("cmdOK0", "Command10", "txtTitle0", "txtURL0", "txtTitle1", "txtURL1",
                           "txtTitle2", "txtURL2", "txtTitle3", "txtURL3", "txtTitle4", "txtURL4"));
}

}  // namespace
}  // namespace quorvel::testing
