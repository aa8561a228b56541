#pragma once

#include "runtime/message_box.h"

namespace quorvel::runtime::qt {

class QtMessageBox final : public MessageBox {
  public:
    using MessageBox::show;
    void show(const std::string& text, int style, const std::string& title,
              const std::string& details) override;

    // The system is ending the program: close a box that waits for the user, and from now on
    // write messages to the standard error instead of waiting for a click nobody will make.
    void endOfSession();

  private:
    bool ending_ = false;
};

}  // namespace quorvel::runtime::qt
