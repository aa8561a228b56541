// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace quorvel::runtime {

// Window message numbers as the tray reports them: the callback message itself, and the mouse
// message it carries.
inline constexpr std::uint32_t WM_MOUSEMOVE = 512;
inline constexpr std::uint32_t WM_LBUTTONDOWN = 513;
inline constexpr std::uint32_t WM_LBUTTONUP = 514;
inline constexpr std::uint32_t WM_LBUTTONDBLCLK = 515;
inline constexpr std::uint32_t WM_RBUTTONDOWN = 516;
inline constexpr std::uint32_t WM_RBUTTONUP = 517;
inline constexpr std::uint32_t WM_RBUTTONDBLCLK = 518;
inline constexpr std::uint32_t WM_MBUTTONDOWN = 519;

// Mouse buttons of a mouse-down event.
inline constexpr std::int16_t vbLeftButton = 1;
inline constexpr std::int16_t vbRightButton = 2;
inline constexpr std::int16_t vbMiddleButton = 4;

}  // namespace quorvel::runtime
