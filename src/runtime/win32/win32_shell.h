// SPDX-License-Identifier: MIT
#pragma once

#include "runtime/shell.h"

namespace quorvel::runtime::win32 {

// ShellExecuteW "open": the target's registered handler, the text handed over unchanged.
class Win32Shell final : public Shell {
  public:
    void open(const std::string& target) override;
};

}  // namespace quorvel::runtime::win32
