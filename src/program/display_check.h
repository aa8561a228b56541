// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "runtime/display_answer.h"

namespace quorvel {

// What decides whether the toolkit can show anything: the platforms asked for and the displays
// named in the environment.
struct DisplaySetting {
    std::optional<std::string> qpaPlatform;     // QT_QPA_PLATFORM, e.g. "xcb" or "wayland;xcb"
    std::optional<std::string> x11Display;      // DISPLAY
    std::optional<std::string> waylandDisplay;  // WAYLAND_DISPLAY
    bool waylandSocket = false;                 // WAYLAND_SOCKET: handed over by the compositor
};

// QT_QPA_PLATFORM, DISPLAY, WAYLAND_DISPLAY and WAYLAND_SOCKET as this process has them.
DisplaySetting displaySettingOfEnvironment();

// Tries a connection to each kind of display server.
struct DisplayReach {
    std::function<runtime::DisplayAnswer()> x11;
    std::function<runtime::DisplayAnswer()> wayland;
};

// Why no platform the toolkit would pick can start, as one line for the terminal; nothing when
// one can. Platforms without a display server (offscreen and the like) are left to the toolkit.
// A server that takes the connection and never answers would hold the toolkit for ever, so the
// platforms after it are not tried.
std::optional<std::string> displayProblem(const DisplaySetting& setting, const DisplayReach& reach);

// The line for an X display that never answers. The X display is only tried once every platform
// before it was refused, so those refusals are part of it.
std::string silentX11Problem(const DisplaySetting& setting);

}  // namespace quorvel
