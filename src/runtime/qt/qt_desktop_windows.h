// SPDX-License-Identifier: MIT
#pragma once

#include "runtime/desktop_windows.h"
#include "runtime/qt/file_manager_bus.h"
#include "runtime/qt/kwin_script_windows.h"
#include "runtime/qt/sway_ipc_windows.h"
#include "runtime/qt/x11_desktop_windows.h"

namespace quorvel::runtime::qt {

// The file managers that say which folder a window shows first; then the compositor, where it
// offers a way (sway, i3, KWin); then the X11 display Qt is on, which also holds the Xwayland
// windows of a Wayland session run with the xcb platform.
class QtDesktopWindows final : public DesktopWindows {
  public:
    QtDesktopWindows() : compositor_(SwayIpcWindows::fromEnvironment()) {}

    void noteWindowsBeforeOpen(const FolderWindow& folder) override {
        compositor_.noteWindowsBeforeOpen(folder);
        x11_.noteWindowsBeforeOpen(folder);
    }

    bool closeFolderWindow(const FolderWindow& folder) override {
        return fileManagers_.closeFolderWindow(folder) || compositor_.closeFolderWindow(folder) ||
               kwin_.closeFolderWindow(folder) || x11_.closeFolderWindow(folder);
    }

  private:
    FileManagerBus fileManagers_;
    SwayIpcWindows compositor_;
    KWinScriptWindows kwin_;
    X11DesktopWindows x11_;
};

}  // namespace quorvel::runtime::qt
