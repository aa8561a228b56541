// SPDX-License-Identifier: MIT
#include "runtime/qt/widgets/qt_accessibility.h"

#include <QAccessibleObject>
#include <QAccessibleWidget>
#include <QAction>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>

#include "runtime/qt/widgets/qt_form_widget.h"

namespace quorvel::runtime::qt {

namespace {

constexpr const char* kDescribedMenu = "quorvelDescribedMenu";

// A caption as read aloud: access-key markers dropped, a doubled one read as itself.
QString withoutAccessKeys(const QString& caption) {
    QString text;
    text.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&') && ++i == caption.size()) {
            break;
        }
        text.append(caption[i]);
    }
    return text;
}

// A form's text box: Qt's own line-edit object, plus the label the description names, which
// cannot be its buddy when one label serves two boxes.
class TextBoxAccessible final : public QAccessibleWidget,
                                public QAccessibleTextInterface,
                                public QAccessibleEditableTextInterface {
  public:
    TextBoxAccessible(QLineEdit* box, QtFormWidget* form)
        : QAccessibleWidget(box, QAccessible::EditableText), form_(form) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface) {
            return static_cast<QAccessibleTextInterface*>(this);
        }
        if (type == QAccessible::EditableTextInterface) {
            return static_cast<QAccessibleEditableTextInterface*>(this);
        }
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Value ? box()->text() : QAccessibleWidget::text(t);
    }
    void setText(QAccessible::Text t, const QString& text) override {
        if (t == QAccessible::Value) {
            box()->setText(text);
        } else {
            QAccessibleWidget::setText(t, text);
        }
    }
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.editable = !box()->isReadOnly();
        state.selectableText = true;
        return state;
    }
    QList<QPair<QAccessibleInterface*, QAccessible::Relation>> relations(
        QAccessible::Relation match) const override {
        auto found = QAccessibleWidget::relations(match);
        QWidget* label = form_ ? form_->labelOf(box()) : nullptr;
        if ((match & QAccessible::Label) && label != nullptr) {
            if (QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(label)) {
                const auto pair = qMakePair(iface, QAccessible::Relation(QAccessible::Label));
                if (!found.contains(pair)) {
                    found.append(pair);
                }
            }
        }
        return found;
    }

    // Text
    void selection(int selectionIndex, int* startOffset, int* endOffset) const override {
        *startOffset = *endOffset = 0;
        if (selectionIndex == 0 && box()->hasSelectedText()) {
            *startOffset = box()->selectionStart();
            *endOffset = box()->selectionEnd();
        }
    }
    int selectionCount() const override { return box()->hasSelectedText() ? 1 : 0; }
    void addSelection(int startOffset, int endOffset) override {
        setSelection(0, startOffset, endOffset);
    }
    void removeSelection(int /*selectionIndex*/) override { box()->deselect(); }
    void setSelection(int /*selectionIndex*/, int startOffset, int endOffset) override {
        box()->setSelection(startOffset, endOffset - startOffset);
    }
    int cursorPosition() const override { return box()->cursorPosition(); }
    void setCursorPosition(int position) override { box()->setCursorPosition(position); }
    QString text(int startOffset, int endOffset) const override {
        return box()->text().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return static_cast<int>(box()->text().size()); }
    QRect characterRect(int offset) const override {
        const QString text = box()->text();
        if (offset < 0 || offset >= text.size()) {
            return {};
        }
        // Measured from the cursor, which knows how far the text is scrolled.
        const QFontMetrics metrics(box()->font());
        const QRect cursor = box()->inputMethodQuery(Qt::ImCursorRectangle).toRect();
        const int x = cursor.x() + metrics.horizontalAdvance(text.left(offset)) -
                      metrics.horizontalAdvance(text.left(box()->cursorPosition()));
        return {box()->mapToGlobal(QPoint(x, cursor.y())),
                QSize(metrics.horizontalAdvance(text.mid(offset, 1)), cursor.height())};
    }
    int offsetAtPoint(const QPoint& point) const override {
        return box()->cursorPositionAt(box()->mapFromGlobal(point));
    }
    void scrollToSubstring(int startIndex, int endIndex) override {
        box()->setCursorPosition(endIndex);
        box()->setCursorPosition(startIndex);
    }
    QString attributes(int /*offset*/, int* startOffset, int* endOffset) const override {
        *startOffset = 0;
        *endOffset = characterCount();
        return {};
    }

    // Editable text, through the box's own editing so that undo and signals work as typing does
    void deleteText(int startOffset, int endOffset) override {
        box()->setSelection(startOffset, endOffset - startOffset);
        box()->del();
    }
    void insertText(int offset, const QString& text) override {
        box()->setCursorPosition(offset);
        box()->insert(text);
    }
    void replaceText(int startOffset, int endOffset, const QString& text) override {
        box()->setSelection(startOffset, endOffset - startOffset);
        box()->insert(text);
    }

  private:
    QLineEdit* box() const { return static_cast<QLineEdit*>(widget()); }

    QPointer<QtFormWidget> form_;
};

// An item of a described menu: what Qt's menu item reports, plus the description.
class MenuItemAccessible final : public QAccessibleObject, public QAccessibleActionInterface {
  public:
    MenuItemAccessible(QAction* action, QMenu* menu) : QAccessibleObject(action), menu_(menu) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }
    bool isValid() const override { return QAccessibleObject::isValid() && menu_; }
    QWindow* window() const override { return menu_ ? menu_->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override {
        return menu_ ? QAccessible::queryAccessibleInterface(menu_) : nullptr;
    }
    QAccessibleInterface* child(int /*index*/) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface* /*child*/) const override { return -1; }
    QAccessible::Role role() const override {
        return action()->isSeparator() ? QAccessible::Separator : QAccessible::MenuItem;
    }
    QAccessible::State state() const override {
        QAccessible::State state;
        if (!menu_ || !menu_->isVisible() || !action()->isVisible()) {
            state.invisible = true;
        }
        if (!action()->isEnabled()) {
            state.disabled = true;
        }
        if (!action()->isSeparator()) {
            state.focusable = true;
            if (menu_ && menu_->activeAction() == action()) {
                state.focused = true;
                state.hotTracked = true;
            }
        }
        return state;
    }
    QString text(QAccessible::Text t) const override {
        switch (t) {
            case QAccessible::Name:
                return withoutAccessKeys(action()->text());
            case QAccessible::Description:
                return action()->statusTip();
            case QAccessible::Accelerator:
                return QKeySequence::mnemonic(action()->text()).toString(QKeySequence::NativeText);
            default:
                return {};
        }
    }
    QRect rect() const override {
        if (!menu_) {
            return {};
        }
        const QRect area = menu_->actionGeometry(action());
        return {menu_->mapToGlobal(area.topLeft()), area.size()};
    }
    QAccessibleInterface* childAt(int /*x*/, int /*y*/) const override { return nullptr; }

    // Action: a press chooses the item, as Return does.
    QStringList actionNames() const override {
        return action()->isSeparator() || !action()->isEnabled() ? QStringList()
                                                                 : QStringList{pressAction()};
    }
    void doAction(const QString& name) override {
        if (name == pressAction() && action()->isEnabled() && !action()->isSeparator()) {
            QPointer<QAction> chosen = action();
            if (menu_) {
                menu_->hide();
            }
            if (chosen) {
                chosen->trigger();
            }
        }
    }
    QStringList keyBindingsForAction(const QString& /*name*/) const override { return {}; }

  private:
    QAction* action() const { return static_cast<QAction*>(object()); }

    QPointer<QMenu> menu_;
};

QAccessibleInterface* accessibleFor(const QString& className, QObject* object) {
    if (className == QLatin1String("QAction")) {
        auto* action = static_cast<QAction*>(object);
        auto* menu = qobject_cast<QMenu*>(action->parent());
        if (menu != nullptr && menu->property(kDescribedMenu).toBool()) {
            return new MenuItemAccessible(action, menu);
        }
        return nullptr;
    }
    if (className == QLatin1String("QLineEdit")) {
        auto* box = static_cast<QLineEdit*>(object);
        if (auto* form = dynamic_cast<QtFormWidget*>(box->parentWidget())) {
            return new TextBoxAccessible(box, form);
        }
        return nullptr;
    }
    if (className == QLatin1String("QWidget")) {
        // A form widget has no meta-object of its own: it is seen as a plain QWidget.
        auto* form = dynamic_cast<QtFormWidget*>(object);
        if (form != nullptr && form->announcedAsDialog()) {
            return new QAccessibleWidget(form, QAccessible::Dialog);
        }
    }
    return nullptr;
}

}  // namespace

void installAccessibility() {
    QAccessible::installFactory(&accessibleFor);
}

void describeItemsOf(QMenu& menu) {
    menu.setProperty(kDescribedMenu, true);
}

}  // namespace quorvel::runtime::qt
