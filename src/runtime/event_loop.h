// SPDX-License-Identifier: MIT
#pragma once

namespace quorvel::runtime {

class EventLoop {
  public:
    virtual ~EventLoop() = default;
    virtual void quit() = 0;
};

}  // namespace quorvel::runtime
