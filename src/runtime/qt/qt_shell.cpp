// SPDX-License-Identifier: MIT
#include "runtime/qt/qt_shell.h"

#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <algorithm>

extern char** environ;

namespace quorvel::runtime::qt {

QtShell::QtShell(QString opener, posix::OpenerSessions* sessions)
    : opener_(opener.toLocal8Bit()), sessions_(sessions) {}

QtShell::~QtShell() {
    for (QSocketNotifier* watch : watches_.findChildren<QSocketNotifier*>()) {
        if (watch->isEnabled()) {
            ::close(static_cast<int>(watch->socket()));
        }
    }
}

void QtShell::open(const std::string& target) {
    // An argument ends at a NUL: the opener would get a different, shorter text.
    if (target.find('\0') != std::string::npos) {
        return;
    }
    reapUnwatched();
    QByteArray program = opener_;
    std::string argument = target;
    char* argv[] = {program.data(), argument.data(), nullptr};
    // A session of its own, default signal handling and no blocked signal, as a program
    // started from the desktop has.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t mask;
    sigemptyset(&mask);
    posix_spawnattr_setsigmask(&attributes, &mask);
    sigfillset(&mask);
    posix_spawnattr_setsigdefault(&attributes, &mask);
    posix_spawnattr_setflags(&attributes,
                             POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t pid = 0;
    const int failed = posix_spawnp(&pid, program.constData(), nullptr, &attributes, argv, environ);
    posix_spawnattr_destroy(&attributes);
    if (failed != 0) {
        return;
    }
    if (sessions_ != nullptr) {
        sessions_->add(target, pid);
    }
    if (!watch(pid)) {
        unwatched_.push_back(pid);
    }
}

bool QtShell::watch(pid_t pid) {
    if (watched_ >= kMaxWatched) {
        return false;
    }
    const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    if (pidfd < 0) {
        return false;
    }
    ++watched_;
    // Readable once the opener has ended.
    auto* notifier = new QSocketNotifier(pidfd, QSocketNotifier::Read, &watches_);
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [this, notifier, pid, pidfd] {
        ::waitpid(pid, nullptr, WNOHANG);
        notifier->setEnabled(false);
        ::close(pidfd);
        notifier->deleteLater();
        --watched_;
        reapUnwatched();
    });
    return true;
}

void QtShell::reapUnwatched() {
    // The ended are reaped now; the others are watched as far as the bound allows.
    std::erase_if(unwatched_, [this](pid_t pid) {
        return ::waitpid(pid, nullptr, WNOHANG) != 0 || watch(pid);
    });
}

}  // namespace quorvel::runtime::qt
