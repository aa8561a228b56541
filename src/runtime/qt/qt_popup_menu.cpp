#include "runtime/qt/qt_popup_menu.h"

#include <QCursor>
#include <algorithm>

#include "runtime/qt/qt_text.h"

namespace quorvel::runtime::qt {

QtPopupMenu::QtPopupMenu(std::vector<MenuItem> items) : items_(std::move(items)) {}

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
        actions_[item]->setText(toQt(caption));
    }
}

std::string QtPopupMenu::caption(std::size_t item) const {
    return item < items_.size() ? items_[item].caption : std::string();
}

QMenu& QtPopupMenu::menu() {
    if (!menu_) {
        menu_ = std::make_unique<QMenu>();
        menu_->setObjectName(QStringLiteral("FileMenu"));
        for (const auto& item : items_) {
            actions_.push_back(item.isSeparator() ? menu_->addSeparator()
                                                  : menu_->addAction(toQt(item.caption)));
        }
    }
    return *menu_;
}

void QtPopupMenu::popup() {
    QAction* chosen = menu().exec(QCursor::pos());
    const auto found = std::find(actions_.begin(), actions_.end(), chosen);
    if (chosen == nullptr || found == actions_.end()) {
        return;
    }
    // Copied: the handler may replace this menu's items.
    const auto handler = items_[static_cast<std::size_t>(found - actions_.begin())].onClick;
    if (handler) {
        handler();
    }
}

}  // namespace quorvel::runtime::qt
