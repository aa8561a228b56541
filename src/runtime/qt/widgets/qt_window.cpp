// SPDX-License-Identifier: MIT
#include "runtime/qt/widgets/qt_window.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>

#include "runtime/qt/common/qt_icons.h"
#include "runtime/qt/common/qt_text.h"

namespace quorvel::runtime::qt {

QtWindow::QtWindow(WindowHandle handle, FormDescription description, double dotsPerInch,
                   WindowEvents& events)
    : handle_(handle),
      description_(std::move(description)),
      dotsPerInch_(dotsPerInch),
      events_(events) {}

QtWindow::~QtWindow() {
    if (widget_) {
        // Unloading can start inside one of the widget's own event handlers.
        widget_->hide();
        widget_.release()->deleteLater();
    }
}

IconHandle QtWindow::icon() const {
    return kProgramIcon;
}

QtFormWidget& QtWindow::widget() const {
    if (!widget_) {
        widget_ = std::make_unique<QtFormWidget>(
            description_, dotsPerInch_,
            [this](const std::string& name, int index) { events_.controlClicked(name, index); },
            [this] { events_.closeRequested(); });
    }
    return *widget_;
}

void QtWindow::setVisible(bool visible) {
    if (!visible) {
        if (widget_) {
            widget_->hide();
        }
        return;
    }
    QtFormWidget& form = widget();
    if (!shownBefore_) {
        shownBefore_ = true;
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            QRect frame = form.frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            form.move(frame.topLeft());
        }
        if (QWidget* first = form.firstInTabOrder()) {
            first->setFocus(Qt::OtherFocusReason);
        }
    }
    form.show();
    form.raise();
    form.activateWindow();
}

std::string QtWindow::text(const std::string& control, int index) const {
    const auto* box = qobject_cast<QLineEdit*>(widget().control(control, index));
    return box ? fromQt(box->text()) : std::string();
}

void QtWindow::setText(const std::string& control, int index, const std::string& text) {
    if (auto* box = qobject_cast<QLineEdit*>(widget().control(control, index))) {
        box->setText(toQt(text));
    }
}

}  // namespace quorvel::runtime::qt
