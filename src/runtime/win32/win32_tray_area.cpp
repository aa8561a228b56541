// SPDX-License-Identifier: MIT
#include "runtime/win32/win32_tray_area.h"

#include <algorithm>

#include "runtime/win32/win32_text.h"
#include "runtime/win32/win32_window.h"
#include "runtime/win32/win32_window_system.h"

namespace quorvel::runtime::win32 {

Win32TrayArea::~Win32TrayArea() {
    for (const auto& [key, record] : icons_) {
        notify(NIM_DELETE, record);
    }
}

void Win32TrayArea::add(const NotifyIconData& record, PopupMenu& /*menu*/) {
    const auto key = std::make_pair(record.hWnd, record.uID);
    if (icons_.count(key) != 0) {
        return;
    }
    icons_[key] = record;
    route(record, true);
    // Without a task bar yet this fails; TaskbarCreated brings the icon later.
    notify(NIM_ADD, record);
}

void Win32TrayArea::remove(const NotifyIconData& record) {
    const auto found = icons_.find({record.hWnd, record.uID});
    if (found == icons_.end()) {
        return;
    }
    notify(NIM_DELETE, found->second);
    route(found->second, false);
    icons_.erase(found);
}

void Win32TrayArea::taskbarCreated() {
    for (const auto& [key, record] : icons_) {
        notify(NIM_ADD, record);
    }
}

void Win32TrayArea::route(const NotifyIconData& record, bool routed) const {
    if ((record.uFlags & NIF_MESSAGE) == 0) {
        return;
    }
    if (Win32Window* window = windows_.window(record.hWnd)) {
        window->routeToForm(record.uCallbackMessage, routed);
    }
}

bool Win32TrayArea::notify(DWORD message, const NotifyIconData& record) const {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = windows_.hwndFor(record.hWnd);
    if (data.hWnd == nullptr) {
        return false;
    }
    data.uID = record.uID;
    if (message == NIM_ADD) {
        data.uFlags = record.uFlags & (NIF_MESSAGE | NIF_ICON | NIF_TIP);
        data.uCallbackMessage = record.uCallbackMessage;
        if (record.hIcon == kProgramIcon) {
            data.hIcon = programIcon(GetSystemMetrics(SM_CXSMICON));
        }
        const std::wstring tip = widen(record.tip());
        const std::size_t length = std::min(tip.size(), std::size(data.szTip) - 1);
        std::copy_n(tip.begin(), length, data.szTip);
        data.szTip[length] = L'\0';
    }
    return Shell_NotifyIconW(message, &data) != FALSE;
}

}  // namespace quorvel::runtime::win32
