// SPDX-License-Identifier: MIT
#include "runtime/qt/termination_signals.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace quorvel::runtime::qt {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The write end of the pipe; a signal handler can reach nothing else.
volatile sig_atomic_t signalWriteFd = -1;
// The first signal of the run, for the forced end's status.
volatile sig_atomic_t firstSignal = 0;

extern "C" void forceEnd(int) {
    ::_exit(128 + firstSignal);
}

extern "C" void forwardSignal(int signal) {
    const int savedErrno = errno;
    const auto number = static_cast<unsigned char>(signal);
    if (signalWriteFd >= 0) {
        [[maybe_unused]] const ssize_t written = ::write(signalWriteFd, &number, 1);
    }
    // A loop held up where it cannot see the pipe (a server that never answers, say) would never
    // end: the alarm ends the process then. A save under way writes a temporary file that is
    // renamed over the store at its end, so the store is never half-written.
    if (firstSignal == 0) {
        firstSignal = signal;
        ::alarm(TerminationSignals::kForcedEndSeconds);
    }
    errno = savedErrno;
}

}  // namespace

TerminationSignals::TerminationSignals(std::function<void(int)> onSignal)
    : onSignal_(std::move(onSignal)) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, fds_) != 0) {
        return;
    }
    signalWriteFd = fds_[1];
    notifier_ = std::make_unique<QSocketNotifier>(fds_[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                     [this] { drain(); });
    struct sigaction action {};
    action.sa_handler = forwardSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : kSignals) {
        ::sigaction(signal, &action, nullptr);
    }
    action.sa_handler = forceEnd;
    ::sigaction(SIGALRM, &action, nullptr);
}

TerminationSignals::~TerminationSignals() {
    ::alarm(0);
    firstSignal = 0;
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (const int signal : kSignals) {
        ::sigaction(signal, &action, nullptr);
    }
    ::sigaction(SIGALRM, &action, nullptr);
    signalWriteFd = -1;
    notifier_.reset();
    for (const int fd : fds_) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
}

bool TerminationSignals::pending() const {
    pollfd waiting{fds_[0], POLLIN, 0};
    return fds_[0] >= 0 && ::poll(&waiting, 1, 0) > 0 && (waiting.revents & POLLIN) != 0;
}

void TerminationSignals::drain() {
    unsigned char number = 0;
    while (::read(fds_[0], &number, 1) == 1) {
        onSignal_(number);
    }
}

}  // namespace quorvel::runtime::qt
