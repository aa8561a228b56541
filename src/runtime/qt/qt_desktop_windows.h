#pragma once

#include "runtime/desktop_windows.h"
#include "runtime/qt/kwin_script_windows.h"
#include "runtime/qt/sway_ipc_windows.h"
#include "runtime/qt/x11_desktop_windows.h"

namespace quorvel::runtime::qt {

// The compositor first, where it offers a way (sway, i3, KWin); then the X11 display Qt is on,
// which also holds the Xwayland windows of a Wayland session run with the xcb platform.
class QtDesktopWindows final : public DesktopWindows {
  public:
    QtDesktopWindows() : compositor_(SwayIpcWindows::fromEnvironment()) {}

    bool closeWindowTitled(const std::string& title) override {
        return compositor_.closeWindowTitled(title) ||
               kwin_.closeFolderWindow(FolderWindow{{}, title}) || x11_.closeWindowTitled(title);
    }

  private:
    SwayIpcWindows compositor_;
    KWinScriptWindows kwin_;
    X11DesktopWindows x11_;
};

}  // namespace quorvel::runtime::qt
