// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "runtime/desktop_windows.h"
#include "runtime/posix/opener_sessions.h"
#include "runtime/qt/desktop_windows/i3_ipc.h"

namespace quorvel::runtime::posix {
class LocalStream;
}

namespace quorvel::runtime::qt {

// Windows of a sway or i3 session, closed through the compositor's IPC socket. Every exchange
// shares one short deadline, so a compositor that does not answer never holds up the exit. With
// `openers`, also the windows the folder's opener made for it, known by their process (sway
// tells it, i3 does not).
class SwayIpcWindows final : public DesktopWindows {
  public:
    // `socketPath` empty: no such compositor, nothing is ever found.
    explicit SwayIpcWindows(std::string socketPath,
                            std::chrono::milliseconds patience = std::chrono::milliseconds(500),
                            const posix::OpenerSessions* openers = nullptr);
    // The socket sway (SWAYSOCK) or i3 (I3SOCK) names in the environment.
    static SwayIpcWindows fromEnvironment(const posix::OpenerSessions* openers = nullptr);

    void noteWindowsBeforeOpen(const FolderWindow& folder) override;
    // Asks every file manager window that took the folder's title after its open to close, each
    // by its container id.
    bool closeFolderWindow(const FolderWindow& folder) override;

  private:
    // The tree's windows.
    std::vector<i3ipc::TreeWindow> windows(posix::LocalStream& socket) const;

    static std::optional<QByteArray> exchange(posix::LocalStream& socket, std::uint32_t type,
                                              const QByteArray& payload);

    std::string socketPath_;
    std::chrono::milliseconds patience_;
    const posix::OpenerSessions* openers_;
    std::vector<std::int64_t> windowsBeforeOpen_;  // those that showed the folder
    std::vector<std::int64_t> windowsAtOpen_;      // all
};

}  // namespace quorvel::runtime::qt
