// SPDX-License-Identifier: MIT
#pragma once

#include "runtime/desktop_windows.h"

namespace quorvel::runtime::win32 {

// Explorer titles a folder's window with the folder's name: FindWindowW by that title, then the
// keys Alt+F, C ("%fc": File, Close) into it once it is in the foreground. Keys are sent only to
// that window: when it does not come to the foreground in time nothing is sent.
class Win32DesktopWindows final : public DesktopWindows {
  public:
    // Explorer's window is found by its title alone, as it always was.
    void noteWindowsBeforeOpen(const FolderWindow& /*folder*/) override {}
    bool closeFolderWindow(const FolderWindow& folder) override;
};

}  // namespace quorvel::runtime::win32
