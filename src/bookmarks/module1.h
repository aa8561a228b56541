// SPDX-License-Identifier: MIT
#pragma once

#include <memory>

#include "bookmarks/bookmark_table.h"
#include "bookmarks/main_form.h"
#include "runtime/notify_icon_data.h"

namespace quorvel {

namespace bookmarks {
class frmUrlEdit;
}

// The program-wide state: the bookmark table, the tray record and the references to the one
// instance of each window. The program makes one; each test makes its own.
struct Module1 : bookmarks::BookmarkTable {
    // The table as the store held it when this copy last read or wrote it.
    bookmarks::BookmarkTable StoredUrls;
    runtime::NotifyIconData TrayIcon{};
    std::shared_ptr<bookmarks::MainForm> Form1;
    std::shared_ptr<bookmarks::frmUrlEdit> frmUrlEdit;
};

}  // namespace quorvel
