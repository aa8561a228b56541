#include "runtime/qt/display_connection.h"

#include <wayland-client.h>
#include <xcb/xcb.h>

#include <cstdlib>

#include "program/display_check.h"

namespace quorvel::runtime::qt {

namespace {

std::optional<std::string> environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
}

bool reachX11() {
    // Authorisation and a server that is gone both show up as a connection error.
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool reached = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return reached;
}

bool reachWayland() {
    if (std::getenv("WAYLAND_SOCKET") != nullptr) {
        return true;  // connecting would use up the one handed-over socket
    }
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) {
        return false;
    }
    wl_display_disconnect(display);
    return true;
}

}  // namespace

std::optional<std::string> unreachableDisplay() {
    return displayProblem(
        {environment("QT_QPA_PLATFORM"), environment("DISPLAY"), environment("WAYLAND_DISPLAY"),
         std::getenv("WAYLAND_SOCKET") != nullptr},
        {reachX11, reachWayland});
}

}  // namespace quorvel::runtime::qt
