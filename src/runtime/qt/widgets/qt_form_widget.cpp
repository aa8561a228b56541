// SPDX-License-Identifier: MIT
#include "runtime/qt/widgets/qt_form_widget.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <vector>

#include "runtime/qt/common/qt_icons.h"
#include "runtime/qt/common/qt_text.h"
#include "runtime/qt/store/qt_settings_store.h"
#include "runtime/qt/widgets/qt_accessibility.h"
#include "runtime/qt/widgets/twips.h"

namespace quorvel::runtime::qt {

namespace {

QWidget* makeControl(const ControlDescription& control, QWidget* parent,
                     const std::function<void(const std::string&, int)>& onClick) {
    switch (control.kind) {
        case ControlKind::Label: {
            auto* label = new QLabel(toQt(control.caption), parent);
            // Captions start at the top left of their rectangle, as the layout assumes.
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            return label;
        }
        case ControlKind::TextBox: {
            auto* box = new QLineEdit(parent);
            // As long as the store takes, so that any stored value comes back from OK whole; a
            // longer paste would only freeze the editor before the save refused it.
            box->setMaxLength(static_cast<int>(QtSettingsStore::kMaxStoreBytes));
            return box;
        }
        case ControlKind::Button: {
            auto* button = new QPushButton(toQt(control.caption), parent);
            // Enter and Esc stay unbound.
            button->setAutoDefault(false);
            button->setDefault(false);
            QObject::connect(
                button, &QPushButton::clicked, parent,
                [onClick, name = control.name, index = control.index] { onClick(name, index); });
            return button;
        }
    }
    return nullptr;
}

}  // namespace

QtFormWidget::QtFormWidget(const FormDescription& description, double dotsPerInch,
                           std::function<void(const std::string&, int)> onClick,
                           std::function<void()> onClose)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint),
      onClose_(std::move(onClose)),
      dialog_(description.dialog) {
    installAccessibility();
    const auto px = [dotsPerInch](int twips) { return twipsToPixels(twips, dotsPerInch); };
    setWindowTitle(toQt(description.caption));
    setWindowIcon(programWindowIcon());
    setFixedSize(px(description.clientWidth), px(description.clientHeight));

    // The labels first, as described, so that every box covers the part of a label beneath it
    // and assistive technology reads headings and row numbers in order; then the rest in tab
    // order.
    std::vector<const ControlDescription*> ordered;
    for (const auto& control : description.controls) {
        ordered.push_back(&control);
    }
    const auto rest = std::stable_partition(ordered.begin(), ordered.end(), [](auto* control) {
        return control->kind == ControlKind::Label;
    });
    std::stable_sort(rest, ordered.end(),
                     [](auto* a, auto* b) { return a->tabIndex < b->tabIndex; });
    QWidget* previous = nullptr;
    for (const auto* control : ordered) {
        QWidget* widget = makeControl(*control, this, onClick);
        widget->setObjectName(toQt(control->name));
        widget->setGeometry(px(control->left), px(control->top), px(control->width),
                            px(control->height));
        controls_[{control->name, control->index}] = widget;
        widget->setAccessibleName(toQt(control->accessibleName));
        widget->setAccessibleDescription(toQt(control->accessibleDescription));
        if (control->kind == ControlKind::Label) {
            widget->setFocusPolicy(Qt::NoFocus);
            continue;
        }
        widget->setFocusPolicy(Qt::StrongFocus);
        if (previous == nullptr) {
            firstInTabOrder_ = widget;
        } else {
            QWidget::setTabOrder(previous, widget);
        }
        previous = widget;
    }
    for (const auto* control : ordered) {
        if (!control->labelledBy.empty()) {
            if (QWidget* label = this->control(control->labelledBy, control->labelledByIndex)) {
                labels_[this->control(control->name, control->index)] = label;
            }
        }
    }
}

QWidget* QtFormWidget::labelOf(const QWidget* control) const {
    const auto found = labels_.find(control);
    return found == labels_.end() ? nullptr : found->second;
}

QWidget* QtFormWidget::control(const std::string& name, int index) const {
    const auto found = controls_.find({name, index});
    return found == controls_.end() ? nullptr : found->second;
}

void QtFormWidget::closeEvent(QCloseEvent* event) {
    // The form decides; unloading it destroys this widget, which must not happen inside its own
    // event handler.
    event->ignore();
    QTimer::singleShot(0, this, [this] { onClose_(); });
}

}  // namespace quorvel::runtime::qt
