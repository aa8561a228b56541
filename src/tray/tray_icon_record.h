// SPDX-License-Identifier: MIT
#pragma once

#include "runtime/notify_icon_data.h"

namespace quorvel::tray {

inline constexpr const char* kTrayTip = "Quorvel";
inline constexpr std::uint32_t kTrayIconId = 1;
inline constexpr std::uint32_t kTrayCallbackMessage = 0x207;

// The record that both tray calls get: the main window, its icon and the tip.
runtime::NotifyIconData makeTrayIconRecord(runtime::WindowHandle window, runtime::IconHandle icon);

}  // namespace quorvel::tray
