#include "runtime/qt/display_connection.h"

#include <fcntl.h>
#include <unistd.h>
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

// libxcb writes a refusing server's reason to stderr; it is taken from there into our one line.
DisplayReach::Refusal reachX11() {
    int pipeEnds[2];
    const bool captured = ::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) == 0;
    const int savedStderr = captured ? ::dup(STDERR_FILENO) : -1;
    if (savedStderr >= 0) {
        ::dup2(pipeEnds[1], STDERR_FILENO);
    }
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool reached = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    std::string said;
    if (savedStderr >= 0) {
        ::dup2(savedStderr, STDERR_FILENO);
        ::close(savedStderr);
    }
    if (captured) {
        ::close(pipeEnds[1]);
        char buffer[512];
        const ssize_t length = ::read(pipeEnds[0], buffer, sizeof buffer);
        ::close(pipeEnds[0]);
        for (ssize_t i = 0; i < length; ++i) {
            const char c = buffer[i];
            said += (c == '\n' || c == '\r' || c == '\t') ? ' ' : c;
        }
        while (!said.empty() && said.back() == ' ') {
            said.pop_back();
        }
    }
    if (reached) {
        return std::nullopt;
    }
    return said;
}

DisplayReach::Refusal reachWayland() {
    if (std::getenv("WAYLAND_SOCKET") != nullptr) {
        return std::nullopt;  // connecting would use up the one handed-over socket
    }
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) {
        return std::string();
    }
    wl_display_disconnect(display);
    return std::nullopt;
}

}  // namespace

std::optional<std::string> unreachableDisplay() {
    return displayProblem(
        {environment("QT_QPA_PLATFORM"), environment("DISPLAY"), environment("WAYLAND_DISPLAY"),
         std::getenv("WAYLAND_SOCKET") != nullptr},
        {reachX11, reachWayland});
}

}  // namespace quorvel::runtime::qt
