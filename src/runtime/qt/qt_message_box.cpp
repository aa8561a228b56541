#include "runtime/qt/qt_message_box.h"

#include <QMessageBox>

#include "runtime/qt/qt_icons.h"
#include "runtime/qt/qt_text.h"

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

void QtMessageBox::show(const std::string& text, int style, const std::string& title) {
    QMessageBox box(iconForStyle(style), toQt(title), toQt(text), QMessageBox::Ok);
    box.setWindowIcon(programIcon());
    box.exec();
}

}  // namespace quorvel::runtime::qt
