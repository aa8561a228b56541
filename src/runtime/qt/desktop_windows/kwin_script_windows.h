// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <chrono>

#include "runtime/folder_window.h"

namespace quorvel::runtime::qt {

// Windows of a KWin session, Wayland or X11, closed by a short script that KWin runs through its
// scripting D-Bus interface. It reaches the native Wayland windows of file managers that offer
// no D-Bus interface of their own. The whole exchange shares one deadline.
class KWinScriptWindows {
  public:
    explicit KWinScriptWindows(std::chrono::milliseconds patience = std::chrono::milliseconds(500));

    // Asks every window whose caption and class show `folder` (by titleShowsFolder) to close.
    // False when no KWin answers in time or the script did not run.
    bool closeFolderWindow(const FolderWindow& folder) const;

    // The captions and classes that show `folder`, as one JSON object (ASCII-safe for a script).
    static QByteArray matchTable(const FolderWindow& folder);
    // The script KWin runs for `folder`: the table above, then the loop over KWin's windows.
    static QByteArray closeScript(const FolderWindow& folder);

  private:
    std::chrono::milliseconds patience_;
};

}  // namespace quorvel::runtime::qt
