#pragma once

#include "runtime/desktop_windows.h"

namespace quorvel::runtime::qt {

// Top-level windows of the X11 display Qt is connected to, through its own xcb connection.
// On any other display server nothing is found.
class X11DesktopWindows final : public DesktopWindows {
  public:
    bool closeWindowTitled(const std::string& title) override;
};

}  // namespace quorvel::runtime::qt
