// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <map>
#include <memory>

#include "runtime/event_loop.h"
#include "runtime/handles.h"

namespace quorvel::runtime {

class Form;

// The loaded windows by handle. Messages reach a form through here, and the event loop ends
// when the last window is unloaded.
class FormRegistry {
  public:
    explicit FormRegistry(EventLoop& loop) : loop_(loop) {}

    void add(WindowHandle window, std::weak_ptr<Form> form);
    void remove(WindowHandle window);
    // Sends a window message; false when no loaded window has that handle.
    bool send(WindowHandle window, std::uint32_t message, std::uint32_t wParam,
              std::uint32_t lParam);
    bool empty() const { return forms_.empty(); }

  private:
    EventLoop& loop_;
    std::map<WindowHandle, std::weak_ptr<Form>> forms_;
};

}  // namespace quorvel::runtime
