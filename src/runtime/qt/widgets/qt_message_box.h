// SPDX-License-Identifier: MIT
#pragma once

#include "runtime/session_message_box.h"

namespace quorvel::runtime::qt {

class QtMessageBox final : public SessionMessageBox {
  private:
    void showModal(const std::string& text, int style, const std::string& title,
                   const std::string& details) override;
    void closeShown() override;
    void writeError(const std::string& line) override;
};

}  // namespace quorvel::runtime::qt
