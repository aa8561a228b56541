// SPDX-License-Identifier: MIT
#pragma once

#include "runtime/win32/win32_api.h"

#include <map>

#include "runtime/form_registry.h"
#include "runtime/window_system.h"

namespace quorvel::runtime::win32 {

class Win32Window;

inline constexpr IconHandle kProgramIcon = 1;
inline constexpr int kTwipsPerInch = 1440;

// The program icon from the executable's resources at a size in pixels; null when the module
// has none (a test program).
HICON programIcon(int size);

// Forms as top-level windows of one class; their handles are small numbers mapped to HWNDs.
class Win32WindowSystem final : public WindowSystem {
  public:
    // Messages that the tray sends to a form's window reach the form through `forms`; popup
    // menus belong to `menuOwner`, a hidden window that outlives every menu.
    Win32WindowSystem(FormRegistry& forms, HWND menuOwner);
    ~Win32WindowSystem() override;
    Win32WindowSystem(const Win32WindowSystem&) = delete;
    Win32WindowSystem& operator=(const Win32WindowSystem&) = delete;

    std::unique_ptr<NativeWindow> createWindow(const FormDescription& description,
                                               WindowEvents& events) override;
    std::unique_ptr<PopupMenu> createMenu(std::vector<MenuItem> items) override;
    int twipsPerPixelX() const override;
    void setForegroundWindow(WindowHandle window) override;

    Win32Window* window(WindowHandle handle) const;
    HWND hwndFor(WindowHandle handle) const;
    // The form window with controls that `hwnd` is or lies in; null for anything else.
    HWND dialogFor(HWND hwnd) const;
    double dotsPerInch() const { return dotsPerInch_; }
    int pixels(int twips) const;
    HFONT font() const { return font_; }
    FormRegistry& forms() const { return forms_; }
    HWND menuOwner() const { return menuOwner_; }

  private:
    friend class Win32Window;
    void forget(WindowHandle handle) { windows_.erase(handle); }

    FormRegistry& forms_;
    HWND menuOwner_;
    double dotsPerInch_ = 96.0;
    HFONT font_ = nullptr;
    bool ownsFont_ = false;
    std::map<WindowHandle, Win32Window*> windows_;
    WindowHandle nextHandle_ = 1;
};

}  // namespace quorvel::runtime::win32
