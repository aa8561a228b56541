// SPDX-License-Identifier: MIT
#pragma once

#include "runtime/desktop_windows.h"
#include "runtime/qt/desktop_windows/file_manager_bus.h"
#include "runtime/qt/desktop_windows/kwin_script_windows.h"
#include "runtime/qt/desktop_windows/sway_ipc_windows.h"
#include "runtime/qt/desktop_windows/x11_desktop_windows.h"

namespace quorvel::runtime::qt {

// The file managers that say which folder a window shows; the compositor, where it offers a way
// (sway, i3, KWin); and the X11 display Qt is on, which also holds the Xwayland windows of a
// Wayland session run with the xcb platform. Besides the file managers they know, the compositor
// and X11 close the window that the folder's opener made for it (see openerWindowShowsFolder).
class QtDesktopWindows final : public DesktopWindows {
  public:
    explicit QtDesktopWindows(const posix::OpenerSessions& openers)
        : compositor_(SwayIpcWindows::fromEnvironment(&openers)), kwin_(&openers), x11_(&openers) {}

    void noteWindowsBeforeOpen(const FolderWindow& folder) override {
        compositor_.noteWindowsBeforeOpen(folder);
        x11_.noteWindowsBeforeOpen(folder);
    }

    bool closeFolderWindow(const FolderWindow& folder) override {
        // Every way is asked: the folder may be open in more than one file manager, and each
        // way closes only the windows it can tell show the folder.
        const bool byFileManager = fileManagers_.closeFolderWindow(folder);
        const bool byCompositor = compositor_.closeFolderWindow(folder);
        const bool byKWin = kwin_.closeFolderWindow(folder);
        const bool byX11 = x11_.closeFolderWindow(folder);
        return byFileManager || byCompositor || byKWin || byX11;
    }

  private:
    FileManagerBus fileManagers_;
    SwayIpcWindows compositor_;
    KWinScriptWindows kwin_;
    X11DesktopWindows x11_;
};

}  // namespace quorvel::runtime::qt
