// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "runtime/popup_menu.h"
#include "runtime/runtime.h"

namespace quorvel {
struct Module1;
}

namespace quorvel::menu {

// The tray's popup menu: five bookmarks, a separator, edit, help, a separator, quit.
class FileMenu {
  public:
    FileMenu(Module1& module, runtime::Runtime& runtime);

    // Captions of the five bookmark items := the five titles, unchanged.
    void SetUrlMenu();
    void popup();
    runtime::PopupMenu& popupMenu() { return *menu_; }

    void Url1_Click() { openBookmark(0); }
    void Url2_Click() { openBookmark(1); }
    void Url3_Click() { openBookmark(2); }
    void Url4_Click() { openBookmark(3); }
    void Url5_Click() { openBookmark(4); }
    void EditURL_Click();
    void ShowInfo_Click();
    void QuitMe_Click();

  private:
    void openBookmark(std::size_t index);
    // Once the main window's unload has begun (終了 waiting on its failure box, say), only
    // 終了 itself may still act.
    bool shuttingDown() const;

    Module1& module_;
    runtime::Runtime& runtime_;
    std::unique_ptr<runtime::PopupMenu> menu_;
};

}  // namespace quorvel::menu
