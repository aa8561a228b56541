// SPDX-License-Identifier: MIT
#include "runtime/win32/win32_popup_menu.h"

#include "runtime/win32/win32_text.h"

namespace quorvel::runtime::win32 {

namespace {

UINT_PTR commandId(std::size_t item) {
    return static_cast<UINT_PTR>(item) + 1;
}

}  // namespace

Win32PopupMenu::Win32PopupMenu(std::vector<MenuItem> items, HWND owner)
    : items_(std::move(items)), owner_(owner), menu_(CreatePopupMenu()) {
    for (std::size_t i = 0; i < items_.size(); ++i) {
        separators_.push_back(items_[i].isSeparator());
        if (separators_[i]) {
            AppendMenuW(menu_, MF_SEPARATOR, commandId(i), nullptr);
        } else {
            // "&" stays what it is in a Windows menu: the marker of the access key.
            AppendMenuW(menu_, MF_STRING, commandId(i),
                        shortenedCaption(items_[i].caption).c_str());
        }
    }
}

Win32PopupMenu::~Win32PopupMenu() {
    if (menu_ != nullptr) {
        DestroyMenu(menu_);
    }
}

void Win32PopupMenu::setCaption(std::size_t item, const std::string& caption) {
    if (item >= items_.size()) {
        return;
    }
    items_[item].caption = caption;
    // A separator stays one, as it was built.
    if (!separators_[item]) {
        ModifyMenuW(menu_, static_cast<UINT>(commandId(item)), MF_BYCOMMAND | MF_STRING,
                    commandId(item), shortenedCaption(caption).c_str());
    }
}

void Win32PopupMenu::setDescription(std::size_t item, const std::string& description) {
    if (item < items_.size()) {
        items_[item].description = description;
    }
}

void Win32PopupMenu::popup() {
    POINT point{};
    GetCursorPos(&point);
    // Without the foreground the menu would not close when the user clicks elsewhere.
    HWND owner = owner_;
    SetForegroundWindow(owner);
    const auto chosen = static_cast<std::size_t>(
        TrackPopupMenu(menu_, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, point.x, point.y, 0,
                       owner, nullptr));
    // Lets the owner's thread switch tasks properly the next time the menu is shown.
    PostMessageW(owner, WM_NULL, 0, 0);
    if (chosen == 0 || chosen > items_.size()) {
        return;
    }
    // Copied: the handler may destroy this menu (quit unloads its form).
    const auto handler = items_[chosen - 1].onClick;
    if (handler) {
        handler();
    }
}

}  // namespace quorvel::runtime::win32
