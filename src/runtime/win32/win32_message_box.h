#pragma once

#include "runtime/message_box.h"

namespace quorvel::runtime::win32 {

class Win32MessageBox final : public MessageBox {
  public:
    // Modal to the whole program, in front of other programs' windows.
    using MessageBox::show;
    void show(const std::string& text, int style, const std::string& title,
              const std::string& details) override;

    // The session is ending: close a box that waits for the user, and from now on write
    // messages to the standard error instead of waiting for a click nobody will make.
    void endOfSession();

  private:
    bool ending_ = false;
};

}  // namespace quorvel::runtime::win32
