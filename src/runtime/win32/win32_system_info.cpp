// SPDX-License-Identifier: MIT
#include "runtime/win32/win32_system_info.h"

#include "runtime/win32/win32_api.h"

#include <lmcons.h>

#include "runtime/win32/win32_text.h"

namespace quorvel::runtime::win32 {

std::wstring folderOf(const std::wstring& path) {
    const std::size_t separator = path.find_last_of(L"\\/");
    if (separator == std::wstring::npos) {
        return {};
    }
    std::wstring folder = path.substr(0, separator);
    if (!folder.empty() && folder.back() == L':') {
        folder += L'\\';
    }
    return folder;
}

std::string Win32SystemInfo::applicationFolder() const {
    std::wstring path(MAX_PATH, L'\0');
    while (true) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        if (path.size() >= 32768) {
            return {};
        }
        path.resize(path.size() * 2);
    }
    return narrow(folderOf(path));
}

std::optional<std::string> Win32SystemInfo::userName() const {
    wchar_t name[UNLEN + 1] = {};
    DWORD size = UNLEN + 1;
    if (!GetUserNameW(name, &size) || name[0] == L'\0') {
        return std::nullopt;
    }
    return narrow(name);
}

}  // namespace quorvel::runtime::win32
