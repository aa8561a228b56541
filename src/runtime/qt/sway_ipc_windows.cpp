// SPDX-License-Identifier: MIT
#include "runtime/qt/sway_ipc_windows.h"

#include <algorithm>
#include <cstdlib>

#include "runtime/posix/local_stream.h"
#include "runtime/qt/i3_ipc.h"

namespace quorvel::runtime::qt {

SwayIpcWindows::SwayIpcWindows(std::string socketPath, std::chrono::milliseconds patience)
    : socketPath_(std::move(socketPath)), patience_(patience) {}

SwayIpcWindows SwayIpcWindows::fromEnvironment() {
    for (const char* name : {"SWAYSOCK", "I3SOCK"}) {
        if (const char* path = std::getenv(name); path != nullptr && *path != '\0') {
            return SwayIpcWindows(path);
        }
    }
    return SwayIpcWindows(std::string());
}

std::optional<QByteArray> SwayIpcWindows::exchange(posix::LocalStream& socket, std::uint32_t type,
                                                   const QByteArray& payload) {
    const QByteArray message = i3ipc::encodeMessage(type, payload);
    if (!socket.writeAll(message.constData(), static_cast<std::size_t>(message.size()))) {
        return std::nullopt;
    }
    const auto header = socket.readExactly(i3ipc::kHeaderSize);
    if (!header) {
        return std::nullopt;
    }
    const QByteArray headerBytes = QByteArray::fromStdString(*header);
    const auto length = i3ipc::replyPayloadLength(headerBytes, type);
    if (!length) {
        return std::nullopt;
    }
    const auto body = socket.readExactly(*length);
    if (!body) {
        return std::nullopt;
    }
    return headerBytes + QByteArray::fromStdString(*body);
}

std::vector<std::int64_t> SwayIpcWindows::windowsShowing(posix::LocalStream& socket,
                                                         const FolderWindow& folder) const {
    if (!socket.connected()) {
        return {};
    }
    const auto tree = exchange(socket, i3ipc::kGetTree, {});
    return tree ? i3ipc::windowsShowingInTreeReply(*tree, folder) : std::vector<std::int64_t>{};
}

void SwayIpcWindows::noteWindowsBeforeOpen(const FolderWindow& folder) {
    if (socketPath_.empty()) {
        return;
    }
    posix::LocalStream socket(socketPath_, std::chrono::steady_clock::now() + patience_);
    windowsBeforeOpen_ = windowsShowing(socket, folder);
}

bool SwayIpcWindows::closeFolderWindow(const FolderWindow& folder) {
    if (socketPath_.empty()) {
        return false;
    }
    posix::LocalStream socket(socketPath_, std::chrono::steady_clock::now() + patience_);
    bool closed = false;
    for (const std::int64_t id : windowsShowing(socket, folder)) {
        if (std::find(windowsBeforeOpen_.begin(), windowsBeforeOpen_.end(), id) !=
            windowsBeforeOpen_.end()) {
            continue;
        }
        const auto reply = exchange(socket, i3ipc::kRunCommand, i3ipc::killCommand(id));
        if (!reply) {
            break;
        }
        closed = i3ipc::commandSucceeded(reply->sliced(i3ipc::kHeaderSize)) || closed;
    }
    return closed;
}

}  // namespace quorvel::runtime::qt
