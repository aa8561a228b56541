// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "runtime/desktop_windows.h"
#include "runtime/posix/opener_sessions.h"

namespace quorvel::runtime::qt {

// Folder windows on the X11 display Qt is connected to, found by the file manager's window class
// and title; closed through the window manager (_NET_CLOSE_WINDOW) or, without one, the window's
// own WM_DELETE_WINDOW. With `openers`, also the window the folder's opener made for it, known by
// its process. On any other display server nothing is found.
class X11DesktopWindows final : public DesktopWindows {
  public:
    explicit X11DesktopWindows(const posix::OpenerSessions* openers = nullptr);
    ~X11DesktopWindows() override;
    X11DesktopWindows(const X11DesktopWindows&) = delete;
    X11DesktopWindows& operator=(const X11DesktopWindows&) = delete;

    void noteWindowsBeforeOpen(const FolderWindow& folder) override;
    bool closeFolderWindow(const FolderWindow& folder) override;

  private:
    class Display;
    Display* display();

    std::unique_ptr<Display> display_;  // made at first use, with the atoms
    bool displayTried_ = false;
    const posix::OpenerSessions* openers_;
    std::vector<std::uint32_t> windowsBeforeOpen_;  // those that showed the folder
    std::vector<std::uint32_t> windowsAtOpen_;      // all
};

}  // namespace quorvel::runtime::qt
