#include "runtime/qt/qt_popup_menu.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QTest>
#include <QTimer>

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

TEST(QtPopupMenu, TheChosenItemRunsBeforePopupReturnsAndADismissRunsNothing) {
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
    EXPECT_EQ(chosen, std::vector<std::string>{"QuitMe"});

    QTimer::singleShot(0, &shown, [&shown] { QTest::keyClick(&shown, Qt::Key_Escape); });
    menu.popup();
    EXPECT_EQ(chosen, std::vector<std::string>{"QuitMe"});
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
