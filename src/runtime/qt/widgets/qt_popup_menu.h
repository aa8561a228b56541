// SPDX-License-Identifier: MIT
#pragma once

#include <QMenu>
#include <QObject>
#include <memory>
#include <vector>

#include "runtime/popup_menu.h"

namespace quorvel::runtime::qt {

class QtPopupMenu final : public PopupMenu {
  public:
    explicit QtPopupMenu(std::vector<MenuItem> items);
    ~QtPopupMenu() override;

    void setCaption(std::size_t item, const std::string& caption) override;
    // Read by assistive technology; kept in the action's status tip.
    void setDescription(std::size_t item, const std::string& description) override;
    // The chosen item's command runs after the menu has closed, from the event loop.
    void popup() override;

    // The menu as Qt shows it; built on first use.
    QMenu& menu();

  private:
    std::vector<MenuItem> items_;
    std::unique_ptr<QMenu> menu_;
    std::vector<QAction*> actions_;
    // Runs the chosen commands, later; what is still queued goes with this menu.
    QObject commands_;
};

}  // namespace quorvel::runtime::qt
