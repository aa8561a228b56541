// SPDX-License-Identifier: MIT
#include "runtime/qt/widgets/qt_popup_menu.h"

#include <QCursor>

#include "runtime/qt/common/qt_text.h"
#include "runtime/qt/widgets/qt_accessibility.h"

namespace quorvel::runtime::qt {

QtPopupMenu::QtPopupMenu(std::vector<MenuItem> items) : items_(std::move(items)) {
    installAccessibility();
}

QtPopupMenu::~QtPopupMenu() {
    if (menu_) {
        // The menu may be on screen in a nested loop further up the stack.
        menu_.release()->deleteLater();
    }
}

void QtPopupMenu::setCaption(std::size_t item, const std::string& caption) {
    if (item >= items_.size()) {
        return;
    }
    items_[item].caption = caption;
    if (menu_) {
        actions_[item]->setText(shortenedCaption(caption));
    }
}

void QtPopupMenu::setDescription(std::size_t item, const std::string& description) {
    if (item >= items_.size()) {
        return;
    }
    items_[item].description = description;
    if (menu_) {
        actions_[item]->setStatusTip(toQt(description));
    }
}

QMenu& QtPopupMenu::menu() {
    if (!menu_) {
        menu_ = std::make_unique<QMenu>();
        menu_->setObjectName(QStringLiteral("FileMenu"));
        describeItemsOf(*menu_);
        for (std::size_t i = 0; i < items_.size(); ++i) {
            if (items_[i].isSeparator()) {
                actions_.push_back(menu_->addSeparator());
                continue;
            }
            QAction* action = menu_->addAction(shortenedCaption(items_[i].caption));
            // The status tip, as a browser shows a link's address: what the item leads to.
            action->setStatusTip(toQt(items_[i].description));
            // Through the action, so that a choice made in a menu that a tray host draws from
            // the exported copy runs the same handler. Queued: a command may end the program
            // and free this menu, which must not happen inside the menu's own call.
            QObject::connect(action, &QAction::triggered, &commands_, [this, i] {
                QMetaObject::invokeMethod(
                    &commands_,
                    [this, i] {
                        const auto handler = items_[i].onClick;  // copied: it may free this menu
                        if (handler) {
                            handler();
                        }
                    },
                    Qt::QueuedConnection);
            });
            actions_.push_back(action);
        }
    }
    return *menu_;
}

void QtPopupMenu::popup() {
    menu().exec(QCursor::pos());
}

}  // namespace quorvel::runtime::qt
