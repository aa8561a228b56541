// SPDX-License-Identifier: MIT
#include "runtime/win32/win32_event_loop.h"

#include "runtime/win32/win32_window_system.h"

namespace quorvel::runtime::win32 {

int Win32EventLoop::run(const Win32WindowSystem& windows) {
    MSG message{};
    BOOL got = 0;
    while ((got = GetMessageW(&message, nullptr, 0, 0)) > 0) {
        dispatch(message, windows);
    }
    return got == -1 ? 1 : static_cast<int>(message.wParam);
}

void Win32EventLoop::dispatch(MSG& message, const Win32WindowSystem& windows) {
    if (HWND dialog = windows.dialogFor(message.hwnd)) {
        if (IsDialogMessageW(dialog, &message)) {
            return;
        }
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

}  // namespace quorvel::runtime::win32
