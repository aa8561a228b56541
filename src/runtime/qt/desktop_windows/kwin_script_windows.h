// SPDX-License-Identifier: MIT
#pragma once

#include <sys/types.h>

#include <QByteArray>
#include <chrono>
#include <vector>

#include "runtime/folder_window.h"
#include "runtime/posix/opener_sessions.h"

namespace quorvel::runtime::qt {

// Windows of a KWin session, Wayland or X11, closed by a short script that KWin runs through its
// scripting D-Bus interface. It reaches the native Wayland windows of file managers that offer
// no D-Bus interface of their own. The whole exchange shares one deadline.
class KWinScriptWindows {
  public:
    explicit KWinScriptWindows(const posix::OpenerSessions* openers = nullptr,
                               std::chrono::milliseconds patience = std::chrono::milliseconds(500));

    // Asks every window whose caption and class show `folder` (by titleShowsFolder) to close,
    // and every window of a process in the session of the folder's opener whose caption names
    // the folder (by openerWindowShowsFolder). False when no KWin answers in time or the script
    // did not run.
    bool closeFolderWindow(const FolderWindow& folder) const;

    // The captions and classes that show `folder`, and the processes of its openers with the
    // texts that name it, as one JSON object (ASCII-safe for a script).
    static QByteArray matchTable(const FolderWindow& folder,
                                 const std::vector<pid_t>& openerProcesses = {});
    // The script KWin runs for `folder`: the table above, then the loop over KWin's windows.
    static QByteArray closeScript(const FolderWindow& folder,
                                  const std::vector<pid_t>& openerProcesses = {});

  private:
    const posix::OpenerSessions* openers_;
    std::chrono::milliseconds patience_;
};

}  // namespace quorvel::runtime::qt
