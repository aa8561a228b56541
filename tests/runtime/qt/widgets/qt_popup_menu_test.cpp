// SPDX-License-Identifier: MIT
#include "runtime/qt/widgets/qt_popup_menu.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QTest>
#include <QTimer>
#include <memory>

namespace quorvel::runtime::qt {
namespace {

std::vector<MenuItem> items(std::vector<std::string>& chosen) {
    const auto choose = [&chosen](const char* name) {
        return [&chosen, name] { chosen.emplace_back(name); };
    };
    return {{"Url1", "&Mail", choose("Url1")},
            {"Url2", "二番目", choose("Url2")},
            {"menuLine1", "-", nullptr},
            {"QuitMe", "終了", choose("QuitMe")}};
}

TEST(QtPopupMenu, ShowsCaptionsAndSeparatorsInOrder) {
    std::vector<std::string> chosen;
    QtPopupMenu menu(items(chosen));
    menu.setCaption(1, "新しい");
    const QList<QAction*> actions = menu.menu().actions();
    ASSERT_EQ(actions.size(), 4);
    EXPECT_EQ(actions[0]->text(), QStringLiteral("&Mail"));
    EXPECT_EQ(actions[1]->text(), QStringLiteral("新しい"));
    EXPECT_TRUE(actions[2]->isSeparator());
    EXPECT_EQ(actions[3]->text(), QStringLiteral("終了"));

    menu.setCaption(0, "after build");
    EXPECT_EQ(actions[0]->text(), QStringLiteral("after build"));
}

TEST(QtPopupMenu, TheChosenItemRunsAfterTheMenuClosedAndADismissRunsNothing) {
    std::vector<std::string> chosen;
    QtPopupMenu menu(items(chosen));
    QMenu& shown = menu.menu();

    // Down, Down, Down skips the separator: the fourth row is the third command.
    QTimer::singleShot(0, &shown, [&shown] {
        for (int i = 0; i < 3; ++i) {
            QTest::keyClick(&shown, Qt::Key_Down);
        }
        QTest::keyClick(&shown, Qt::Key_Return);
    });
    menu.popup();
    EXPECT_TRUE(chosen.empty());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !chosen.empty(); }, 5000));
    EXPECT_EQ(chosen, std::vector<std::string>{"QuitMe"});

    QTimer::singleShot(0, &shown, [&shown] { QTest::keyClick(&shown, Qt::Key_Escape); });
    menu.popup();
    QTest::qWait(50);
    EXPECT_EQ(chosen, std::vector<std::string>{"QuitMe"});
}

// 終了 chosen twice before either runs (a host's two clicks): the first frees the menu, as the
// program's 終了 does, and the second, still queued, goes with it.
TEST(QtPopupMenu, ACommandStillQueuedWhenTheMenuGoesNeverRuns) {
    int quits = 0;
    std::unique_ptr<QtPopupMenu> menu;
    menu = std::make_unique<QtPopupMenu>(std::vector<MenuItem>{{"QuitMe", "終了", [&] {
                                                                    ++quits;
                                                                    menu.reset();
                                                                }}});
    QAction* quit = menu->menu().actions().at(0);
    quit->trigger();
    quit->trigger();
    EXPECT_EQ(quits, 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return menu == nullptr; }, 5000));
    QTest::qWait(50);
    EXPECT_EQ(quits, 1);
}

TEST(QtPopupMenu, AnEndlessCaptionIsShortenedOnScreenOnly) {
    std::vector<std::string> chosen;
    QtPopupMenu menu(items(chosen));
    std::string endless;
    for (int i = 0; i < 100000; ++i) {
        endless += "長";
    }
    menu.setCaption(0, endless);
    const QString shown = menu.menu().actions()[0]->text();
    EXPECT_LE(shown.size(), 200);
    EXPECT_TRUE(shown.endsWith(QChar(0x2026)));
    EXPECT_TRUE(shown.startsWith(QStringLiteral("長長長")));
    EXPECT_LT(menu.menu().sizeHint().width(), 10000);
}

}  // namespace
}  // namespace quorvel::runtime::qt
