// SPDX-License-Identifier: MIT
#pragma once

#include <sys/types.h>

#include <QByteArray>
#include <QObject>
#include <QString>
#include <vector>

#include "runtime/posix/opener_sessions.h"
#include "runtime/shell.h"

namespace quorvel::runtime::qt {

// The freedesktop opener, spawned with the target as its one argument; no shell sees the text.
// A launch returns as soon as the opener runs, and the opener is reaped when it ends, as the
// event loop learns through its pidfd: a burst of launches waits for none of them. Openers that
// never end hold no more than kMaxWatched descriptors: the rest are reaped without waiting.
// Each opener leads a session of its own, noted in `sessions` when given.
class QtShell final : public Shell {
  public:
    static constexpr int kMaxWatched = 16;

    explicit QtShell(QString opener = QStringLiteral("xdg-open"),
                     posix::OpenerSessions* sessions = nullptr);
    ~QtShell() override;
    QtShell(const QtShell&) = delete;
    QtShell& operator=(const QtShell&) = delete;

    void open(const std::string& target) override;

  private:
    // Reaps the opener from the event loop once it ends; false when no pidfd is to be had.
    bool watch(pid_t pid);
    void reapUnwatched();

    QByteArray opener_;
    posix::OpenerSessions* sessions_;
    QObject watches_;
    int watched_ = 0;
    // Openers without a pidfd (none could be had, or kMaxWatched are held), looked at again at
    // the next launch and whenever a watched one ends.
    std::vector<pid_t> unwatched_;
};

}  // namespace quorvel::runtime::qt
