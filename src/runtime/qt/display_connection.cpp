// SPDX-License-Identifier: MIT
#include "runtime/qt/display_connection.h"

#include <fcntl.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <sys/time.h>

#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "runtime/posix/local_stream.h"

namespace quorvel::runtime::qt {

namespace {

using Kind = DisplayAnswer::Kind;

// What the alarm writes before it ends the program. A signal handler may only write and exit,
// so it finds its line here, set before the alarm is armed.
struct SilenceReport {
    const char* line = nullptr;
    std::size_t length = 0;
    int fd = STDERR_FILENO;
};
SilenceReport silenceReport;

extern "C" void reportSilence(int) {
    [[maybe_unused]] const ssize_t written =
        ::write(silenceReport.fd, silenceReport.line, silenceReport.length);
    ::_exit(1);
}

// What libxcb wrote to stderr while it was redirected into `pipeEnd`, as one line.
std::string drained(int pipeEnd) {
    char buffer[512];
    const ssize_t length = ::read(pipeEnd, buffer, sizeof buffer);
    std::string said;
    for (ssize_t i = 0; i < length; ++i) {
        const char c = buffer[i];
        said += (c == '\n' || c == '\r' || c == '\t') ? ' ' : c;
    }
    while (!said.empty() && said.back() == ' ') {
        said.pop_back();
    }
    return said;
}

}  // namespace

DisplayAnswer tryX11Display(std::chrono::milliseconds bound, const std::string& lineIfSilent) {
    // libxcb writes a refusing server's reason to stderr; it is taken from there into our line.
    int pipeEnds[2];
    const bool captured = ::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) == 0;
    const int savedStderr = captured ? ::dup(STDERR_FILENO) : -1;
    if (savedStderr >= 0) {
        ::dup2(pipeEnds[1], STDERR_FILENO);
    }
    // libxcb waits for the server's greeting without a bound and goes on waiting when a signal
    // interrupts it: the alarm ends the program itself.
    silenceReport = {lineIfSilent.c_str(), lineIfSilent.size(),
                     savedStderr >= 0 ? savedStderr : STDERR_FILENO};
    struct sigaction alarm {};
    struct sigaction before {};
    alarm.sa_handler = reportSilence;
    ::sigemptyset(&alarm.sa_mask);
    ::sigaction(SIGALRM, &alarm, &before);
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(bound);
    const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(bound - seconds);
    itimerval once{{0, 0}, {seconds.count(), static_cast<suseconds_t>(micros.count())}};
    ::setitimer(ITIMER_REAL, &once, nullptr);

    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    bool reached = xcb_connection_has_error(connection) == 0;
    if (reached) {
        // A server may greet and then never answer: one round trip, under the same alarm.
        std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
        reached = xcb_connection_has_error(connection) == 0;
    }
    xcb_disconnect(connection);

    const itimerval off{};
    ::setitimer(ITIMER_REAL, &off, nullptr);
    ::sigaction(SIGALRM, &before, nullptr);
    if (savedStderr >= 0) {
        ::dup2(savedStderr, STDERR_FILENO);
        ::close(savedStderr);
    }
    std::string said;
    if (captured) {
        ::close(pipeEnds[1]);
        said = drained(pipeEnds[0]);
        ::close(pipeEnds[0]);
    }
    return reached ? DisplayAnswer{} : DisplayAnswer{Kind::Refused, said};
}

DisplayAnswer tryWaylandDisplay(std::chrono::milliseconds bound) {
    if (std::getenv("WAYLAND_SOCKET") != nullptr) {
        return {};  // connecting would use up the one handed-over socket
    }
    // Where libwayland looks: WAYLAND_DISPLAY (else wayland-0) in XDG_RUNTIME_DIR, or as it is
    // when it is an absolute path.
    const char* named = std::getenv("WAYLAND_DISPLAY");
    std::string path = named != nullptr && named[0] != '\0' ? named : "wayland-0";
    if (path.front() != '/') {
        const char* folder = std::getenv("XDG_RUNTIME_DIR");
        if (folder == nullptr || folder[0] != '/') {
            return {Kind::Refused, {}};
        }
        path = std::string(folder) + "/" + path;
    }
    const auto deadline = std::chrono::steady_clock::now() + bound;
    posix::LocalStream compositor(path, deadline);
    // wl_display.sync (object 1, request 0, 12 bytes, new callback 2), in the host's byte order:
    // every compositor answers it with the callback's done event, 12 bytes.
    const std::uint32_t sync[] = {1, 12u << 16, 2};
    if (compositor.writeAll(reinterpret_cast<const char*>(sync), sizeof sync) &&
        compositor.readExactly(12)) {
        return {};
    }
    const bool silent = compositor.connected() && std::chrono::steady_clock::now() >= deadline;
    return {silent ? Kind::Silent : Kind::Refused, {}};
}

}  // namespace quorvel::runtime::qt
