#pragma once

#include <functional>
#include <optional>
#include <string>

namespace quorvel {

// What decides whether the toolkit can show anything: the platforms asked for and the displays
// named in the environment.
struct DisplaySetting {
    std::optional<std::string> qpaPlatform;     // QT_QPA_PLATFORM, e.g. "xcb" or "wayland;xcb"
    std::optional<std::string> x11Display;      // DISPLAY
    std::optional<std::string> waylandDisplay;  // WAYLAND_DISPLAY
    bool waylandSocket = false;                 // WAYLAND_SOCKET: handed over by the compositor
};

// Tries a connection to each kind of display server: nothing when it is reached, else what the
// server said when it refused (or "").
struct DisplayReach {
    using Refusal = std::optional<std::string>;
    std::function<Refusal()> x11;
    std::function<Refusal()> wayland;
};

// Why no platform the toolkit would pick can start, as one line for the terminal; nothing when
// one can. Platforms without a display server (offscreen and the like) are left to the toolkit.
std::optional<std::string> displayProblem(const DisplaySetting& setting, const DisplayReach& reach);

}  // namespace quorvel
