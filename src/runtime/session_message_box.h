// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "runtime/message_box.h"

namespace quorvel::runtime {

// A message box that outlives the user: once the system ends the program (the end of the
// session, a termination request), a box that waits for a click nobody will make is closed and
// every later message goes to the standard error instead. Each backend only shows, closes and
// writes.
class SessionMessageBox : public MessageBox {
  public:
    using MessageBox::show;
    void show(const std::string& text, int style, const std::string& title,
              const std::string& details) final;

    void endOfSession();

  protected:
    // Modal: returns when the user, or closeShown(), has closed it.
    virtual void showModal(const std::string& text, int style, const std::string& title,
                           const std::string& details) = 0;
    virtual void closeShown() = 0;
    virtual void writeError(const std::string& line) = 0;

  private:
    bool ending_ = false;
};

}  // namespace quorvel::runtime
