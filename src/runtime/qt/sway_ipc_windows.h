// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "runtime/desktop_windows.h"

namespace quorvel::runtime::posix {
class LocalStream;
}

namespace quorvel::runtime::qt {

// Windows of a sway or i3 session, closed through the compositor's IPC socket. Every exchange
// shares one short deadline, so a compositor that does not answer never holds up the exit.
class SwayIpcWindows final : public DesktopWindows {
  public:
    // `socketPath` empty: no such compositor, nothing is ever found.
    explicit SwayIpcWindows(std::string socketPath,
                            std::chrono::milliseconds patience = std::chrono::milliseconds(500));
    // The socket sway (SWAYSOCK) or i3 (I3SOCK) names in the environment.
    static SwayIpcWindows fromEnvironment();

    void noteWindowsBeforeOpen(const FolderWindow& folder) override;
    // Asks every file manager window that took the folder's title after its open to close, each
    // by its container id.
    bool closeFolderWindow(const FolderWindow& folder) override;

  private:
    // The tree's windows that show `folder`, and the socket for commands about them.
    std::vector<std::int64_t> windowsShowing(posix::LocalStream& socket,
                                             const FolderWindow& folder) const;

    static std::optional<QByteArray> exchange(posix::LocalStream& socket, std::uint32_t type,
                                              const QByteArray& payload);

    std::string socketPath_;
    std::chrono::milliseconds patience_;
    std::vector<std::int64_t> windowsBeforeOpen_;
};

}  // namespace quorvel::runtime::qt
