// SPDX-License-Identifier: MIT
#pragma once

#include "runtime/session_message_box.h"

namespace quorvel::runtime::win32 {

// Modal to the whole program, in front of other programs' windows.
class Win32MessageBox final : public SessionMessageBox {
  private:
    void showModal(const std::string& text, int style, const std::string& title,
                   const std::string& details) override;
    void closeShown() override;
    void writeError(const std::string& line) override;
};

}  // namespace quorvel::runtime::win32
