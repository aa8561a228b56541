// SPDX-License-Identifier: MIT
#pragma once

#include "runtime/system_info.h"

namespace quorvel::runtime::qt {

class QtSystemInfo final : public SystemInfo {
  public:
    std::string applicationFolder() const override;
    std::optional<std::string> userName() const override;
    char pathSeparator() const override { return '/'; }
};

}  // namespace quorvel::runtime::qt
