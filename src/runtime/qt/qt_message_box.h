#pragma once

#include "runtime/message_box.h"

namespace quorvel::runtime::qt {

class QtMessageBox final : public MessageBox {
  public:
    void show(const std::string& text, int style, const std::string& title) override;
};

}  // namespace quorvel::runtime::qt
