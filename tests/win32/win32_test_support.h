// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "runtime/win32/win32_api.h"
#include "runtime/win32/win32_event_loop.h"
#include "runtime/win32/win32_text.h"
#include "runtime/win32/win32_window_system.h"

namespace quorvel::runtime::win32::testsupport {

inline constexpr DWORD kPollMilliseconds = 20;

// Handles what is waiting as the program's loop would. A WM_QUIT (the registry ran empty) is
// dropped: it would end a later modal loop of the same test at once.
inline void pump(const Win32WindowSystem& windows) {
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message != WM_QUIT) {
            Win32EventLoop::dispatch(message, windows);
        }
    }
}

// Pumps until `done`, polling in 20 ms steps up to the bound.
template <typename Done>
bool pumpUntil(const Win32WindowSystem& windows, Done done, DWORD boundMilliseconds = 3000) {
    for (DWORD waited = 0; waited < boundMilliseconds; waited += kPollMilliseconds) {
        pump(windows);
        if (done()) {
            return true;
        }
        Sleep(kPollMilliseconds);
    }
    pump(windows);
    return done();
}

// A key press as the dialog manager sees it: posted to the window with the focus.
inline void pressKey(HWND target, WPARAM key) {
    PostMessageW(target, WM_KEYDOWN, key, 1);
    PostMessageW(target, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
}

inline std::string windowText(HWND hwnd) {
    const int length = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), length + 1)));
    return narrow(text);
}

inline std::wstring className(HWND hwnd) {
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    return name;
}

// The DPI the way a test computes it for itself.
inline int screenDotsPerInch() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi;
}

}  // namespace quorvel::runtime::win32::testsupport
