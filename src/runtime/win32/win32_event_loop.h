// SPDX-License-Identifier: MIT
#pragma once

#include "runtime/win32/win32_api.h"

#include "runtime/event_loop.h"

namespace quorvel::runtime::win32 {

class Win32WindowSystem;

class Win32EventLoop final : public EventLoop {
  public:
    void quit() override { PostQuitMessage(0); }

    // GetMessage until WM_QUIT; returns its exit code.
    static int run(const Win32WindowSystem& windows);
    // One message: a form with controls gets its dialog keys (Tab) first, the rest is
    // translated and dispatched.
    static void dispatch(MSG& message, const Win32WindowSystem& windows);
};

}  // namespace quorvel::runtime::win32
