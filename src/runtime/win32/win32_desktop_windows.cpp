// SPDX-License-Identifier: MIT
#include "runtime/win32/win32_desktop_windows.h"

#include "runtime/win32/win32_api.h"

#include <array>

#include "runtime/win32/win32_text.h"

namespace quorvel::runtime::win32 {

namespace {

constexpr DWORD kPollMilliseconds = 20;
constexpr int kForegroundPolls = 50;  // 1 s
constexpr int kClosePolls = 100;      // 2 s

INPUT key(WORD virtualKey, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

template <typename Done>
bool pollUntil(int polls, Done done) {
    for (int i = 0; i < polls; ++i) {
        if (done()) {
            return true;
        }
        Sleep(kPollMilliseconds);
    }
    return done();
}

}  // namespace

bool Win32DesktopWindows::closeFolderWindow(const FolderWindow& folder) {
    HWND target = FindWindowW(nullptr, widen(folder.name).c_str());
    if (target == nullptr) {
        return false;
    }
    SetForegroundWindow(target);
    if (!pollUntil(kForegroundPolls, [&] { return GetForegroundWindow() == target; })) {
        return false;
    }
    std::array<INPUT, 6> keys{key(VK_MENU, false), key('F', false), key('F', true),
                              key(VK_MENU, true),  key('C', false), key('C', true)};
    if (SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT)) != keys.size()) {
        return false;
    }
    // Until the keys have done their work: the window is gone or hidden; bounded, since a
    // window without such a menu stays.
    pollUntil(kClosePolls, [&] { return !IsWindow(target) || !IsWindowVisible(target); });
    return true;
}

}  // namespace quorvel::runtime::win32
