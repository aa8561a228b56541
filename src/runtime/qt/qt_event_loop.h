// SPDX-License-Identifier: MIT
#pragma once

#include <QCoreApplication>

#include "runtime/event_loop.h"

namespace quorvel::runtime::qt {

class QtEventLoop final : public EventLoop {
  public:
    void quit() override { QCoreApplication::quit(); }
};

}  // namespace quorvel::runtime::qt
