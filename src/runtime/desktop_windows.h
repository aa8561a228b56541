#pragma once

#include <string>

namespace quorvel::runtime {

// Other programs' top-level windows.
class DesktopWindows {
  public:
    virtual ~DesktopWindows() = default;
    // Asks the top-level window whose title is exactly `title` to close (a compositor that lists
    // several asks each). False when there is none or the desktop offers no way to do it.
    virtual bool closeWindowTitled(const std::string& title) = 0;
};

}  // namespace quorvel::runtime
