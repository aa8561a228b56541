#pragma once

#include "runtime/desktop_windows.h"

namespace quorvel::runtime::win32 {

// FindWindowW by title, then the keys Alt+F, C ("%fc": File, Close) into it once it is in the
// foreground. Keys are sent only to that window: when it does not come to the foreground in
// time nothing is sent.
class Win32DesktopWindows final : public DesktopWindows {
  public:
    bool closeWindowTitled(const std::string& title) override;
};

}  // namespace quorvel::runtime::win32
