// SPDX-License-Identifier: MIT
#pragma once

#include "runtime/win32/win32_api.h"

#include <set>
#include <string>
#include <vector>

#include "runtime/form_description.h"
#include "runtime/window_system.h"

namespace quorvel::runtime::win32 {

class Win32WindowSystem;

// A form's window: made hidden at once, fixed frame, controls at their twips rectangles in
// their tab order. Its close command and button clicks go to the form; it never destroys
// itself, the form does by deleting this object.
class Win32Window final : public NativeWindow {
  public:
    static constexpr const wchar_t* kClassName = L"QuorvelForm";
    static constexpr int kFirstControlId = 100;  // above IDOK and IDCANCEL, which are ignored

    static void registerClass();

    Win32Window(Win32WindowSystem& system, WindowHandle handle, const FormDescription& description,
                WindowEvents& events);
    ~Win32Window() override;
    Win32Window(const Win32Window&) = delete;
    Win32Window& operator=(const Win32Window&) = delete;

    WindowHandle handle() const override { return handle_; }
    IconHandle icon() const override;
    void setVisible(bool visible) override;
    std::string text(const std::string& control, int index) const override;
    void setText(const std::string& control, int index, const std::string& text) override;

    HWND hwnd() const { return hwnd_; }
    HWND control(const std::string& name, int index) const;
    bool hasControls() const { return !controls_.empty(); }
    // Messages with this number (the tray's callback) are handed to the form registry, the
    // mouse message taken from the low word of lParam.
    void routeToForm(UINT message, bool routed);

  private:
    struct Control {
        ControlKind kind;
        std::string name;
        int index;
        HWND hwnd;
    };

    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void createControls(const FormDescription& description);
    void centreOnScreen();

    Win32WindowSystem& system_;
    WindowHandle handle_;
    WindowEvents& events_;
    HWND hwnd_ = nullptr;
    std::vector<Control> controls_;  // by control id - kFirstControlId
    HWND firstInTabOrder_ = nullptr;
    HWND lastFocus_ = nullptr;  // where the focus goes back to when the window is activated
    std::set<UINT> routed_;
    bool shownBefore_ = false;
};

}  // namespace quorvel::runtime::win32
