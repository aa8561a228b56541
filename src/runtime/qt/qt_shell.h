// SPDX-License-Identifier: MIT
#pragma once

#include <sys/types.h>

#include <QByteArray>
#include <QObject>
#include <QString>
#include <vector>

#include "runtime/shell.h"

namespace quorvel::runtime::qt {

// The freedesktop opener, spawned with the target as its one argument; no shell sees the text.
// A launch returns as soon as the opener runs, and the opener is reaped when it ends, as the
// event loop learns through its pidfd: a burst of launches waits for none of them.
class QtShell final : public Shell {
  public:
    explicit QtShell(QString opener = QStringLiteral("xdg-open"));
    ~QtShell() override;
    QtShell(const QtShell&) = delete;
    QtShell& operator=(const QtShell&) = delete;

    void open(const std::string& target) override;

  private:
    void reapUnwatched();

    QByteArray opener_;
    QObject watches_;
    // Openers started where no pidfd could be had: reaped, without waiting, at the next launch.
    std::vector<pid_t> unwatched_;
};

}  // namespace quorvel::runtime::qt
