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

void Win32MessageBox::show(const std::string& text, int style, const std::string& title,
                           const std::string& details) {
    const auto toStandardError = [](const std::string& line) {
        DWORD written = 0;
        HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
        if (error != nullptr && error != INVALID_HANDLE_VALUE) {
            WriteFile(error, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        }
    };
    // MessageBoxW has no room for details: they go to the standard error only.
    if (!details.empty()) {
        toStandardError("quorvel: " + title + ": " + details + "\n");
    }
    if (ending_) {
        toStandardError(title + ": " + text + "\n");
        return;
    }
    MessageBoxW(nullptr, widen(text).c_str(), widen(title).c_str(),
                static_cast<UINT>(style) | MB_TASKMODAL | MB_SETFOREGROUND);
}

void Win32MessageBox::endOfSession() {
    ending_ = true;
    EnumThreadWindows(GetCurrentThreadId(), &closeMessageBox, 0);
}

}  // namespace quorvel::runtime::win32
