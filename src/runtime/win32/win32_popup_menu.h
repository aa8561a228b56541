// SPDX-License-Identifier: MIT
#pragma once

#include "runtime/win32/win32_api.h"

#include <vector>

#include "runtime/popup_menu.h"

namespace quorvel::runtime::win32 {

// A native popup menu; item i has command id i + 1.
class Win32PopupMenu final : public PopupMenu {
  public:
    Win32PopupMenu(std::vector<MenuItem> items, HWND owner);
    ~Win32PopupMenu() override;
    Win32PopupMenu(const Win32PopupMenu&) = delete;
    Win32PopupMenu& operator=(const Win32PopupMenu&) = delete;

    void setCaption(std::size_t item, const std::string& caption) override;
    // Kept only: the menu's standard accessible objects have no place for it.
    void setDescription(std::size_t item, const std::string& description) override;
    void popup() override;

    HMENU handle() const { return menu_; }

  private:
    std::vector<MenuItem> items_;
    std::vector<bool> separators_;
    HWND owner_;
    HMENU menu_;
};

}  // namespace quorvel::runtime::win32
