// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "runtime/handles.h"

namespace quorvel::runtime {

inline constexpr std::uint32_t NIM_ADD = 0;
inline constexpr std::uint32_t NIM_DELETE = 2;
inline constexpr std::uint32_t NIF_MESSAGE = 1;
inline constexpr std::uint32_t NIF_ICON = 2;
inline constexpr std::uint32_t NIF_TIP = 4;

// The tray icon record, field for field. How it is laid out in memory is each backend's concern.
struct NotifyIconData {
    static constexpr std::size_t kTipSize = 64;

    std::uint32_t cbSize = 0;
    WindowHandle hWnd = 0;
    std::uint32_t uID = 0;
    std::uint32_t uFlags = 0;
    std::uint32_t uCallbackMessage = 0;
    IconHandle hIcon = 0;
    std::array<char, kTipSize> szTip{};

    // Fixed-width assignment: the text left-justified, then padded with spaces to the end.
    void setTip(std::string_view text);
    // What the tray shows: the field up to its first NUL.
    std::string tip() const;
};

}  // namespace quorvel::runtime
