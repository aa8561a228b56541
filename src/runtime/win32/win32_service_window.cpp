// SPDX-License-Identifier: MIT
#include "runtime/win32/win32_service_window.h"

namespace quorvel::runtime::win32 {

ServiceWindow::ServiceWindow() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (!GetClassInfoExW(instance, kClassName, &existing)) {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = &ServiceWindow::windowProc;
        windowClass.hInstance = instance;
        windowClass.lpszClassName = kClassName;
        RegisterClassExW(&windowClass);
    }
    // Top-level, not message-only: broadcasts such as TaskbarCreated reach only those.
    hwnd_ = CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, L"Quorvel", WS_POPUP, 0, 0, 0, 0, nullptr,
                            nullptr, instance, this);
}

ServiceWindow::~ServiceWindow() {
    if (hwnd_ != nullptr) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

LRESULT CALLBACK ServiceWindow::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    const auto* self = reinterpret_cast<ServiceWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self != nullptr && self->handler_) {
        // A copy: the handler may end the program, and with it this window.
        const Handler handler = self->handler_;
        if (const auto result = handler(message, wParam, lParam)) {
            return *result;
        }
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace quorvel::runtime::win32
