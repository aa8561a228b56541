// SPDX-License-Identifier: MIT
#include "runtime/win32/win32_message_box.h"

#include "runtime/win32/win32_api.h"

#include "runtime/win32/win32_text.h"

namespace quorvel::runtime::win32 {

namespace {

BOOL CALLBACK closeMessageBox(HWND hwnd, LPARAM /*unused*/) {
    wchar_t className[16] = {};
    if (GetClassNameW(hwnd, className, 16) > 0 && std::wstring_view(className) == L"#32770" &&
        IsWindowVisible(hwnd)) {
        PostMessageW(hwnd, WM_CLOSE, 0, 0);
    }
    return TRUE;
}

}  // namespace

void Win32MessageBox::showModal(const std::string& text, int style, const std::string& title,
                                const std::string& /*details*/) {
    // MessageBoxW has no room for details: the standard error has had them.
    MessageBoxW(nullptr, widen(text).c_str(), widen(title).c_str(),
                static_cast<UINT>(style) | MB_TASKMODAL | MB_SETFOREGROUND);
}

void Win32MessageBox::closeShown() {
    EnumThreadWindows(GetCurrentThreadId(), &closeMessageBox, 0);
}

void Win32MessageBox::writeError(const std::string& line) {
    DWORD written = 0;
    HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    if (error != nullptr && error != INVALID_HANDLE_VALUE) {
        WriteFile(error, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    }
}

}  // namespace quorvel::runtime::win32
