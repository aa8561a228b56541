// SPDX-License-Identifier: MIT
#include "runtime/qt/widgets/qt_message_box.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace quorvel::runtime::qt {
namespace {

QMessageBox* openBox() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<QMessageBox*>(window); box && box->isVisible()) {
            return box;
        }
    }
    return nullptr;
}

TEST(QtMessageBox, AStopBoxWithOneOkWaitsForTheUser) {
    QtMessageBox messages;
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttons = 0;
    QTimer::singleShot(0, [&] {
        QMessageBox* box = openBox();
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        buttons = static_cast<int>(box->buttons().size());
        box->button(QMessageBox::Ok)->click();
    });
    messages.show("URLを保存できませんでした。", 16, "Quorvel 終了エラー");
    EXPECT_EQ(title, QStringLiteral("Quorvel 終了エラー"));
    EXPECT_EQ(text, QStringLiteral("URLを保存できませんでした。"));
    EXPECT_EQ(icon, QMessageBox::Critical);
    EXPECT_EQ(buttons, 1);
}

TEST(QtMessageBox, DetailsGoUnderTheTextWhichStaysAsItIs) {
    QtMessageBox messages;
    QString text, informative;
    int buttons = 0;
    QTimer::singleShot(0, [&] {
        QMessageBox* box = openBox();
        ASSERT_NE(box, nullptr);
        text = box->text();
        informative = box->informativeText();
        buttons = static_cast<int>(box->buttons().size());
        box->button(QMessageBox::Ok)->click();
    });
    messages.show("URLを保存できませんでした。", 16, "Quorvel エラー",
                  "/home/taro/.config/Quorvel/Quorvel.ini: No space left on device");
    EXPECT_EQ(text, QStringLiteral("URLを保存できませんでした。"));
    EXPECT_EQ(informative,
              QStringLiteral("/home/taro/.config/Quorvel/Quorvel.ini: No space left on device"));
    EXPECT_EQ(buttons, 1);
}

TEST(QtMessageBox, TheEndOfTheSessionClosesAnOpenBoxAndShowsNoMore) {
    QtMessageBox messages;
    QTimer::singleShot(0, [&] { messages.endOfSession(); });
    messages.show("waiting", 16, "Quorvel");  // returns once closed
    EXPECT_EQ(openBox(), nullptr);

    bool shown = false;
    QTimer::singleShot(0, [&] { shown = openBox() != nullptr; });
    messages.show("after the end", 16, "Quorvel");
    QApplication::processEvents();
    EXPECT_FALSE(shown);
}

}  // namespace
}  // namespace quorvel::runtime::qt
