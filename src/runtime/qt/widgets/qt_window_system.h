// SPDX-License-Identifier: MIT
#pragma once

#include "runtime/window_system.h"

namespace quorvel::runtime::qt {

class QtWindowSystem final : public WindowSystem {
  public:
    std::unique_ptr<NativeWindow> createWindow(const FormDescription& description,
                                               WindowEvents& events) override;
    std::unique_ptr<PopupMenu> createMenu(std::vector<MenuItem> items) override;
    int twipsPerPixelX() const override;
    void setForegroundWindow(WindowHandle window) override;

  private:
    WindowHandle nextHandle_ = 1;
};

}  // namespace quorvel::runtime::qt
