// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include "bookmarks/frm_url_edit_design.h"
#include "runtime/qt/widgets/qt_message_box.h"
#include "runtime/qt/widgets/qt_popup_menu.h"
#include "runtime/qt/widgets/qt_window.h"
#include "runtime/qt/widgets/qt_window_system.h"

namespace quorvel::runtime::qt {
namespace {

struct NoEvents final : WindowEvents {
    void controlClicked(const std::string&, int) override {}
    void closeRequested() override {}
};

QAccessibleInterface* accessible(QObject* object) {
    return QAccessible::queryAccessibleInterface(object);
}

std::vector<QString> labelsOf(QAccessibleInterface* iface) {
    std::vector<QString> names;
    for (const auto& relation : iface->relations(QAccessible::Label)) {
        names.push_back(relation.first->text(QAccessible::Name));
    }
    return names;
}

TEST(QtAccessibility, TheEditorIsANamedDialogAndEachBoxIsReadAsItsRowAndColumn) {
    NoEvents events;
    QtWindowSystem system;
    auto native = system.createWindow(bookmarks::frmUrlEditDesign(), events);
    QtFormWidget& form = static_cast<QtWindow&>(*native).widget();
    native->setText("txtURL", 2, "http://three.example/");

    QAccessibleInterface* editor = accessible(&form);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->role(), QAccessible::Dialog);
    EXPECT_EQ(editor->text(QAccessible::Name), QStringLiteral("Quorvel Private URL Editor"));

    for (int row = 0; row < 5; ++row) {
        const QString number = QString::number(row + 1) + QLatin1Char('.');
        QAccessibleInterface* label = accessible(form.control("Label1", row));
        EXPECT_EQ(label->role(), QAccessible::StaticText);
        EXPECT_EQ(label->text(QAccessible::Name), number);
        for (const auto& [name, heading] : {std::pair{"txtTitle", QStringLiteral("タイトル")},
                                            std::pair{"txtURL", QStringLiteral("URL")}}) {
            QAccessibleInterface* box = accessible(form.control(name, row));
            EXPECT_EQ(box->role(), QAccessible::EditableText) << name << row;
            EXPECT_EQ(box->text(QAccessible::Name), number + QLatin1Char(' ') + heading);
            EXPECT_EQ(labelsOf(box), std::vector<QString>{number}) << name << row;
            EXPECT_EQ(box->relations(QAccessible::Label).value(0).first, label);
            EXPECT_TRUE(box->state().editable);
        }
    }
    for (const auto& [name, text] : {std::pair{"Label2", QStringLiteral("タイトル")},
                                     std::pair{"Label3", QStringLiteral("URL")}}) {
        EXPECT_EQ(accessible(form.control(name, -1))->text(QAccessible::Name), text);
    }

    // What a screen reader reads and writes is the box's own text.
    QAccessibleInterface* url = accessible(form.control("txtURL", 2));
    ASSERT_NE(url->textInterface(), nullptr);
    ASSERT_NE(url->editableTextInterface(), nullptr);
    EXPECT_EQ(url->textInterface()->text(0, url->textInterface()->characterCount()),
              QStringLiteral("http://three.example/"));
    url->editableTextInterface()->replaceText(7, 12, QStringLiteral("三番"));
    url->editableTextInterface()->insertText(0, QStringLiteral("x"));
    url->editableTextInterface()->deleteText(1, 2);
    EXPECT_EQ(native->text("txtURL", 2), "xttp://三番.example/");
    EXPECT_EQ(url->text(QAccessible::Value), QStringLiteral("xttp://三番.example/"));
}

TEST(QtAccessibility, MenuItemsKeepTheirCaptionAndCarryTheirUrlAndThePressChoosesOne) {
    std::vector<std::string> chosen;
    QtPopupMenu menu({{"Url1", "&Mail", [&] { chosen.emplace_back("Url1"); }},
                      {"Url2", "作者HP", [&] { chosen.emplace_back("Url2"); }},
                      {"menuLine1", "-", nullptr},
                      {"QuitMe", "終了", [&] { chosen.emplace_back("QuitMe"); }}});
    menu.setDescription(0, "mailto:a@b.example");
    QMenu& shown = menu.menu();
    menu.setDescription(1, "http://www.quorvel.example/");  // after the menu is built
    EXPECT_EQ(shown.actions()[1]->statusTip(), QStringLiteral("http://www.quorvel.example/"));

    QAccessibleInterface* items = accessible(&shown);
    ASSERT_EQ(items->childCount(), 4);
    const auto item = [&](int i) { return items->child(i); };
    EXPECT_EQ(item(0)->role(), QAccessible::MenuItem);
    EXPECT_EQ(item(0)->text(QAccessible::Name), QStringLiteral("Mail"));
    EXPECT_EQ(item(0)->text(QAccessible::Description), QStringLiteral("mailto:a@b.example"));
    EXPECT_EQ(item(1)->text(QAccessible::Name), QStringLiteral("作者HP"));
    EXPECT_EQ(item(1)->text(QAccessible::Description),
              QStringLiteral("http://www.quorvel.example/"));
    EXPECT_EQ(item(2)->role(), QAccessible::Separator);
    EXPECT_EQ(item(3)->text(QAccessible::Description), QString());
    EXPECT_EQ(item(1)->parent(), items);
    EXPECT_EQ(shown.actions()[0]->text(), QStringLiteral("&Mail"));

    // Pressing an item by its accessible action chooses it while the menu is up.
    QTimer::singleShot(0, &shown, [&] {
        EXPECT_FALSE(item(3)->state().invisible);
        QAccessibleActionInterface* actions = item(3)->actionInterface();
        ASSERT_NE(actions, nullptr);
        actions->doAction(QAccessibleActionInterface::pressAction());
    });
    QTimer::singleShot(2000, &shown, [&] { shown.hide(); });  // the press did not close it
    menu.popup();
    // The command runs from the event loop once the menu has closed.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !chosen.empty(); }, 5000));
    EXPECT_EQ(chosen, std::vector<std::string>{"QuitMe"});
    EXPECT_FALSE(shown.isVisible());
}

TEST(QtAccessibility, AMessageBoxIsAnAlertWithItsTitleAndText) {
    QtMessageBox messages;
    QAccessible::Role role = QAccessible::NoRole;
    QString name, value;
    QTimer::singleShot(0, [&] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(window); box && box->isVisible()) {
                QAccessibleInterface* iface = accessible(box);
                role = iface->role();
                name = iface->text(QAccessible::Name);
                value = iface->text(QAccessible::Value);
                box->accept();
            }
        }
    });
    messages.show("URLを保存できませんでした。", 16, "Quorvel 終了エラー");
    EXPECT_EQ(role, QAccessible::AlertMessage);
    EXPECT_EQ(name, QStringLiteral("Quorvel 終了エラー"));
    EXPECT_EQ(value, QStringLiteral("URLを保存できませんでした。"));
}

}  // namespace
}  // namespace quorvel::runtime::qt
