// SPDX-License-Identifier: MIT
#include "runtime/win32/win32_window.h"

#include <algorithm>

#include "runtime/win32/win32_text.h"
#include "runtime/win32/win32_window_system.h"

namespace quorvel::runtime::win32 {

namespace {

constexpr DWORD kFormStyle = WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kFormExStyle = 0;

}  // namespace

void Win32Window::registerClass() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (GetClassInfoExW(instance, kClassName, &existing)) {
        return;
    }
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &Win32Window::windowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    windowClass.hIcon = programIcon(GetSystemMetrics(SM_CXICON));
    windowClass.hIconSm = programIcon(GetSystemMetrics(SM_CXSMICON));
    RegisterClassExW(&windowClass);
}

Win32Window::Win32Window(Win32WindowSystem& system, WindowHandle handle,
                         const FormDescription& description, WindowEvents& events)
    : system_(system), handle_(handle), events_(events) {
    RECT frame{0, 0, system_.pixels(description.clientWidth),
               system_.pixels(description.clientHeight)};
    AdjustWindowRectEx(&frame, kFormStyle, FALSE, kFormExStyle);
    hwnd_ = CreateWindowExW(kFormExStyle, kClassName, widen(description.caption).c_str(),
                            kFormStyle, CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                            frame.bottom - frame.top, nullptr, nullptr, GetModuleHandleW(nullptr),
                            this);
    if (hwnd_ != nullptr) {
        createControls(description);
    }
}

Win32Window::~Win32Window() {
    system_.forget(handle_);
    if (hwnd_ != nullptr) {
        // Unloading often starts inside this window's own message handler; nothing may reach
        // this object once it is gone.
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

void Win32Window::createControls(const FormDescription& description) {
    std::vector<const ControlDescription*> ordered;
    for (const auto& control : description.controls) {
        ordered.push_back(&control);
    }
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](auto* a, auto* b) { return a->tabIndex < b->tabIndex; });
    // Creation order is both z-order and tab order: boxes and buttons first, in tab order, then
    // the labels, which so lie below any box that covers part of them.
    std::stable_partition(ordered.begin(), ordered.end(),
                          [](auto* c) { return c->kind != ControlKind::Label; });
    HINSTANCE instance = GetModuleHandleW(nullptr);
    for (const ControlDescription* control : ordered) {
        const wchar_t* className = L"STATIC";
        DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
        DWORD exStyle = 0;
        std::wstring caption = widen(control->caption);
        switch (control->kind) {
            case ControlKind::Label:
                style |= SS_LEFT | SS_NOPREFIX;
                break;
            case ControlKind::TextBox:
                className = L"EDIT";
                style |= WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL;
                exStyle = WS_EX_CLIENTEDGE;
                caption.clear();
                break;
            case ControlKind::Button:
                // Never the default button: Enter and Esc stay unbound.
                className = L"BUTTON";
                style |= WS_TABSTOP | BS_PUSHBUTTON;
                break;
        }
        if (!control->accessibleName.empty()) {
            // What a screen reader names the control by: an invisible label right before it in
            // z- and tab order, where the system looks for a control's label.
            CreateWindowExW(0, L"STATIC", widen(control->accessibleName).c_str(),
                            WS_CHILD | SS_LEFT | SS_NOPREFIX, system_.pixels(control->left),
                            system_.pixels(control->top), system_.pixels(control->width),
                            system_.pixels(control->height), hwnd_, nullptr, instance, nullptr);
        }
        const int id = kFirstControlId + static_cast<int>(controls_.size());
        HWND hwnd =
            CreateWindowExW(exStyle, className, caption.c_str(), style,
                            system_.pixels(control->left), system_.pixels(control->top),
                            system_.pixels(control->width), system_.pixels(control->height), hwnd_,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
        if (hwnd == nullptr) {
            continue;
        }
        SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(system_.font()), FALSE);
        if (control->kind == ControlKind::TextBox) {
            // No length limit: a long stored value must come back from OK whole.
            SendMessageW(hwnd, EM_SETLIMITTEXT, 0, 0);
        }
        if (control->kind != ControlKind::Label && firstInTabOrder_ == nullptr) {
            firstInTabOrder_ = hwnd;
        }
        controls_.push_back({control->kind, control->name, control->index, hwnd});
    }
}

IconHandle Win32Window::icon() const {
    return kProgramIcon;
}

HWND Win32Window::control(const std::string& name, int index) const {
    const auto found = std::find_if(controls_.begin(), controls_.end(), [&](const Control& c) {
        return c.name == name && c.index == index;
    });
    return found == controls_.end() ? nullptr : found->hwnd;
}

void Win32Window::routeToForm(UINT message, bool routed) {
    if (routed) {
        routed_.insert(message);
    } else {
        routed_.erase(message);
    }
}

void Win32Window::centreOnScreen() {
    RECT window{};
    GetWindowRect(hwnd_, &window);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (!GetMonitorInfoW(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor)) {
        return;
    }
    const RECT& area = monitor.rcWork;
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    SetWindowPos(hwnd_, nullptr, area.left + (area.right - area.left - width) / 2,
                 area.top + (area.bottom - area.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Window::setVisible(bool visible) {
    if (hwnd_ == nullptr) {
        return;
    }
    if (!visible) {
        ShowWindow(hwnd_, SW_HIDE);
        return;
    }
    const bool first = !shownBefore_;
    if (first) {
        shownBefore_ = true;
        centreOnScreen();
        lastFocus_ = firstInTabOrder_;
    }
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
    if (first && firstInTabOrder_ != nullptr) {
        SetFocus(firstInTabOrder_);
    }
}

std::string Win32Window::text(const std::string& control, int index) const {
    const auto found = std::find_if(controls_.begin(), controls_.end(), [&](const Control& c) {
        return c.kind == ControlKind::TextBox && c.name == control && c.index == index;
    });
    if (found == controls_.end()) {
        return {};
    }
    const int length = GetWindowTextLengthW(found->hwnd);
    if (length <= 0) {
        return {};
    }
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(found->hwnd, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(std::max(copied, 0)));
    return narrow(text);
}

void Win32Window::setText(const std::string& control, int index, const std::string& text) {
    for (const Control& c : controls_) {
        if (c.kind == ControlKind::TextBox && c.name == control && c.index == index) {
            SetWindowTextW(c.hwnd, widen(text).c_str());
        }
    }
}

LRESULT CALLBACK Win32Window::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        auto* window = static_cast<Win32Window*>(create->lpCreateParams);
        window->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
    }
    auto* window = reinterpret_cast<Win32Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (window == nullptr) {
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    return window->handleMessage(message, wParam, lParam);
}

// Whatever reaches the form may unload it and so delete this object: each such call is the
// last thing a branch does.
LRESULT Win32Window::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (routed_.count(message) != 0) {
        system_.forms().send(handle_, message, static_cast<std::uint32_t>(wParam), LOWORD(lParam));
        return 0;
    }
    switch (message) {
        case WM_CLOSE:
            events_.closeRequested();
            return 0;
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            const auto position = static_cast<std::size_t>(id - kFirstControlId);
            if (HIWORD(wParam) == BN_CLICKED && lParam != 0 && id >= kFirstControlId &&
                position < controls_.size() && controls_[position].kind == ControlKind::Button) {
                // Copies: the handler may unload the form, and so free controls_.
                const std::string name = controls_[position].name;
                const int index = controls_[position].index;
                events_.controlClicked(name, index);
            }
            // IDOK and IDCANCEL, Enter and Esc from the dialog manager, do nothing.
            return 0;
        }
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) {
                HWND focus = GetFocus();
                if (focus != nullptr && IsChild(hwnd_, focus)) {
                    lastFocus_ = focus;
                }
            } else if (!HIWORD(wParam) && lastFocus_ != nullptr && IsWindow(lastFocus_)) {
                SetFocus(lastFocus_);
                return 0;
            }
            break;
        default:
            break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

}  // namespace quorvel::runtime::win32
