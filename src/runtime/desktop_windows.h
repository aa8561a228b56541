// SPDX-License-Identifier: MIT
#pragma once

#include "runtime/folder_window.h"

namespace quorvel::runtime {

// Other programs' top-level windows: the file manager's window of the private folder.
class DesktopWindows {
  public:
    virtual ~DesktopWindows() = default;
    // Called before this run first hands `folder` to the shell: the windows that already show
    // it are the user's own, and the close at exit leaves them alone.
    virtual void noteWindowsBeforeOpen(const FolderWindow& folder) = 0;
    // Asks the window that shows `folder`, and that was not noted before the open, to close.
    // False when there is none or the desktop offers no way to do it.
    virtual bool closeFolderWindow(const FolderWindow& folder) = 0;
};

}  // namespace quorvel::runtime
