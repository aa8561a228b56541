// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "runtime/form_description.h"
#include "runtime/handles.h"
#include "runtime/popup_menu.h"

namespace quorvel::runtime {

// What a native window reports back to the form that owns it.
class WindowEvents {
  public:
    virtual ~WindowEvents() = default;
    virtual void controlClicked(const std::string& name, int index) = 0;
    // The window's own close command (title-bar button, window manager).
    virtual void closeRequested() = 0;
};

class NativeWindow {
  public:
    virtual ~NativeWindow() = default;
    virtual WindowHandle handle() const = 0;
    virtual IconHandle icon() const = 0;
    virtual void setVisible(bool visible) = 0;
    virtual std::string text(const std::string& control, int index) const = 0;
    virtual void setText(const std::string& control, int index, const std::string& text) = 0;
};

class WindowSystem {
  public:
    virtual ~WindowSystem() = default;
    virtual std::unique_ptr<NativeWindow> createWindow(const FormDescription& description,
                                                       WindowEvents& events) = 0;
    virtual std::unique_ptr<PopupMenu> createMenu(std::vector<MenuItem> items) = 0;
    // Whole twips per screen pixel, horizontally.
    virtual int twipsPerPixelX() const = 0;
    virtual void setForegroundWindow(WindowHandle window) = 0;
};

}  // namespace quorvel::runtime
