#include "runtime/qt/qt_message_box.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>

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

void QtMessageBox::show(const std::string& text, int style, const std::string& title,
                        const std::string& details) {
    if (!details.empty()) {
        std::fprintf(stderr, "quorvel: %s: %s\n", title.c_str(), details.c_str());
    }
    if (ending_) {
        std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
        return;
    }
    QMessageBox box(iconForStyle(style), toQt(title), toQt(text), QMessageBox::Ok);
    if (!details.empty()) {
        // Under the text, smaller: the box keeps its one OK button.
        box.setInformativeText(toQt(details));
    }
    box.setWindowIcon(programWindowIcon());
    box.setObjectName(QStringLiteral("QuorvelMessage"));
    box.exec();
}

void QtMessageBox::endOfSession() {
    ending_ = true;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->objectName() == QLatin1String("QuorvelMessage") && window->isVisible()) {
            window->close();
        }
    }
}

}  // namespace quorvel::runtime::qt
