// SPDX-License-Identifier: MIT
#include "runtime/qt/widgets/qt_message_box.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>

#include "runtime/qt/common/qt_icons.h"
#include "runtime/qt/common/qt_text.h"

namespace quorvel::runtime::qt {

namespace {

QMessageBox::Icon iconForStyle(int style) {
    switch (style & 0x70) {
        case 16:
            return QMessageBox::Critical;
        case 32:
            return QMessageBox::Question;
        case 48:
            return QMessageBox::Warning;
        case 64:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

}  // namespace

void QtMessageBox::showModal(const std::string& text, int style, const std::string& title,
                             const std::string& details) {
    QMessageBox box(iconForStyle(style), toQt(title), toQt(text), QMessageBox::Ok);
    if (!details.empty()) {
        // Under the text, smaller: the box keeps its one OK button.
        box.setInformativeText(toQt(details));
    }
    box.setWindowIcon(programWindowIcon());
    box.setObjectName(QStringLiteral("QuorvelMessage"));
    box.exec();
}

void QtMessageBox::closeShown() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->objectName() == QLatin1String("QuorvelMessage") && window->isVisible()) {
            window->close();
        }
    }
}

void QtMessageBox::writeError(const std::string& line) {
    std::fputs(line.c_str(), stderr);
}

}  // namespace quorvel::runtime::qt
