// SPDX-License-Identifier: MIT
#include "runtime/win32/win32_shell.h"

#include "runtime/win32/win32_api.h"

#include "runtime/win32/win32_text.h"

namespace quorvel::runtime::win32 {

void Win32Shell::open(const std::string& target) {
    ShellExecuteW(nullptr, L"open", widen(target).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace quorvel::runtime::win32
