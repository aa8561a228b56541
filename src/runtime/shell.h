// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace quorvel::runtime {

class Shell {
  public:
    virtual ~Shell() = default;
    // Hands the text unchanged to the desktop's default handler. Never blocks, never reports.
    virtual void open(const std::string& target) = 0;
};

}  // namespace quorvel::runtime
