#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>
#include <chrono>
#include <optional>

#include "runtime/desktop_windows.h"

class QLocalSocket;

namespace quorvel::runtime::qt {

// Windows of a sway or i3 session, closed through the compositor's IPC socket. Every exchange
// shares one short deadline, so a compositor that does not answer never holds up the exit.
class SwayIpcWindows final : public DesktopWindows {
  public:
    // `socketPath` empty: no such compositor, nothing is ever found.
    explicit SwayIpcWindows(QString socketPath,
                            std::chrono::milliseconds patience = std::chrono::milliseconds(500));
    // The socket sway (SWAYSOCK) or i3 (I3SOCK) names in the environment.
    static SwayIpcWindows fromEnvironment();

    // Asks every window titled exactly `title` to close, each by its container id.
    bool closeWindowTitled(const std::string& title) override;

  private:
    std::optional<QByteArray> exchange(QLocalSocket& socket, std::uint32_t type,
                                       const QByteArray& payload, const QDeadlineTimer& deadline);

    QString socketPath_;
    std::chrono::milliseconds patience_;
};

}  // namespace quorvel::runtime::qt
