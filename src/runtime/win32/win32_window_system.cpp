// SPDX-License-Identifier: MIT
#include "runtime/win32/win32_window_system.h"

#include <algorithm>
#include <cmath>

#include "runtime/win32/win32_popup_menu.h"
#include "runtime/win32/win32_resources.h"
#include "runtime/win32/win32_window.h"

namespace quorvel::runtime::win32 {

HICON programIcon(int size) {
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr),
                                         MAKEINTRESOURCEW(QUORVEL_ICON_ID), IMAGE_ICON, size, size,
                                         LR_DEFAULTCOLOR | LR_SHARED));
}

Win32WindowSystem::Win32WindowSystem(FormRegistry& forms, HWND menuOwner)
    : forms_(forms), menuOwner_(menuOwner) {
    if (HDC screen = GetDC(nullptr)) {
        const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
        ReleaseDC(nullptr, screen);
        if (dpi > 0) {
            dotsPerInch_ = dpi;
        }
    }
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
        font_ = CreateFontIndirectW(&metrics.lfMessageFont);
        ownsFont_ = font_ != nullptr;
    }
    if (font_ == nullptr) {
        font_ = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    }
    Win32Window::registerClass();
}

Win32WindowSystem::~Win32WindowSystem() {
    if (ownsFont_) {
        DeleteObject(font_);
    }
}

std::unique_ptr<NativeWindow> Win32WindowSystem::createWindow(const FormDescription& description,
                                                              WindowEvents& events) {
    const WindowHandle handle = nextHandle_++;
    auto window = std::make_unique<Win32Window>(*this, handle, description, events);
    windows_[handle] = window.get();
    return window;
}

std::unique_ptr<PopupMenu> Win32WindowSystem::createMenu(std::vector<MenuItem> items) {
    return std::make_unique<Win32PopupMenu>(std::move(items), menuOwner_);
}

int Win32WindowSystem::twipsPerPixelX() const {
    return std::max(1, static_cast<int>(std::lround(kTwipsPerInch / dotsPerInch_)));
}

int Win32WindowSystem::pixels(int twips) const {
    return static_cast<int>(std::lround(twips * dotsPerInch_ / kTwipsPerInch));
}

void Win32WindowSystem::setForegroundWindow(WindowHandle window) {
    if (HWND hwnd = hwndFor(window)) {
        SetForegroundWindow(hwnd);
    }
}

Win32Window* Win32WindowSystem::window(WindowHandle handle) const {
    const auto found = windows_.find(handle);
    return found == windows_.end() ? nullptr : found->second;
}

HWND Win32WindowSystem::hwndFor(WindowHandle handle) const {
    const Win32Window* found = window(handle);
    return found ? found->hwnd() : nullptr;
}

HWND Win32WindowSystem::dialogFor(HWND hwnd) const {
    if (hwnd == nullptr) {
        return nullptr;
    }
    HWND root = GetAncestor(hwnd, GA_ROOT);
    for (const auto& [handle, window] : windows_) {
        if (window->hwnd() == root && window->hasControls()) {
            return root;
        }
    }
    return nullptr;
}

}  // namespace quorvel::runtime::win32
