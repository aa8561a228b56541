// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include "bookmarks/frm_url_edit_design.h"
#include "runtime/qt/widgets/qt_window.h"
#include "runtime/qt/widgets/qt_window_system.h"
#include "runtime/qt/widgets/twips.h"

namespace quorvel::runtime::qt {
namespace {

struct RecordingEvents final : WindowEvents {
    void controlClicked(const std::string& name, int index) override {
        clicks.push_back(name + ":" + std::to_string(index));
    }
    void closeRequested() override { ++closes; }
    std::vector<std::string> clicks;
    int closes = 0;
};

class QtFormWidgetTest : public ::testing::Test {
  protected:
    const FormDescription& design = bookmarks::frmUrlEditDesign();
    RecordingEvents events;
    QtWindowSystem system;
    std::unique_ptr<NativeWindow> native = system.createWindow(design, events);
    QtFormWidget& form = static_cast<QtWindow&>(*native).widget();
    const double dpi = QGuiApplication::primaryScreen()->logicalDotsPerInchX();
};

TEST_F(QtFormWidgetTest, EveryControlSitsAtItsTwipsRectangleInAFixedWindow) {
    ASSERT_DOUBLE_EQ(dpi, 96.0) << "the offscreen screen is expected at 96 dpi";
    EXPECT_EQ(form.size(), QSize(417, 176));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Quorvel Private URL Editor"));
    for (const auto& control : design.controls) {
        const QWidget* widget = form.control(control.name, control.index);
        ASSERT_NE(widget, nullptr) << control.name;
        const QRect expected(twipsToPixels(control.left, dpi), twipsToPixels(control.top, dpi),
                             twipsToPixels(control.width, dpi), twipsToPixels(control.height, dpi));
        EXPECT_EQ(widget->geometry(), expected) << control.name << control.index;
    }
    EXPECT_EQ(form.control("cmdOK", -1)->geometry(), QRect(336, 144, 73, 25));
    EXPECT_EQ(form.control("txtURL", 4)->geometry(), QRect(144, 120, 265, 18));
    // A title box covers the row number beneath it.
    const QWidget* box = form.control("txtTitle", 0);
    EXPECT_EQ(form.childAt(box->geometry().topLeft() + QPoint(2, 2)), box);
}

TEST_F(QtFormWidgetTest, TabRunsFromOkThroughTheBoxesAndBackAndLabelsTakeNoFocus) {
    native->setVisible(true);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_EQ(form.focusWidget(), form.control("cmdOK", -1));

    std::vector<std::string> order;
    for (int step = 0; step < 13; ++step) {
        order.push_back(form.focusWidget()->objectName().toStdString());
        QTest::keyClick(form.focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(order,
              (std::vector<std::string>{"cmdOK", "Command1", "txtTitle", "txtURL", "txtTitle",
                                        "txtURL", "txtTitle", "txtURL", "txtTitle", "txtURL",
                                        "txtTitle", "txtURL", "cmdOK"}));
    EXPECT_EQ(form.control("Label1", 0)->focusPolicy(), Qt::NoFocus);
}

TEST_F(QtFormWidgetTest, EnterAndEscapeAreBoundToNothingWhileButtonsClick) {
    native->setVisible(true);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    for (QWidget* target : {form.control("cmdOK", -1), form.control("txtURL", 2)}) {
        target->setFocus();
        QTest::keyClick(target, Qt::Key_Return);
        QTest::keyClick(target, Qt::Key_Enter);
        QTest::keyClick(target, Qt::Key_Escape);
    }
    EXPECT_TRUE(events.clicks.empty());
    EXPECT_EQ(events.closes, 0);
    EXPECT_TRUE(form.isVisible());

    QTest::mouseClick(form.control("Command1", -1), Qt::LeftButton);
    QTest::mouseClick(form.control("cmdOK", -1), Qt::LeftButton);
    EXPECT_EQ(events.clicks, (std::vector<std::string>{"Command1:-1", "cmdOK:-1"}));
}

TEST_F(QtFormWidgetTest, TheCloseCommandIsLeftToTheFormAndTextsRoundTrip) {
    native->setText("txtTitle", 3, "日本語 &  ");
    EXPECT_EQ(native->text("txtTitle", 3), "日本語 &  ");
    EXPECT_EQ(native->text("Label1", 3), "") << "labels are not boxes";
    const std::string longValue(100000, 'u');
    native->setText("txtURL", 0, longValue);
    EXPECT_EQ(native->text("txtURL", 0), longValue) << "no length limit";

    native->setVisible(true);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.close();
    EXPECT_TRUE(form.isVisible()) << "the window stays until the form unloads it";
    // QTestLib's QTRY_COMPARE cannot fail a GoogleTest test: it reports to QTestLib only.
    EXPECT_TRUE(QTest::qWaitFor([&] { return events.closes != 0; }, 5000));
    EXPECT_EQ(events.closes, 1);
}

}  // namespace
}  // namespace quorvel::runtime::qt
