// SPDX-License-Identifier: MIT
#include "runtime/qt/desktop_windows/sway_ipc_windows.h"

#include <algorithm>
#include <cstdlib>

#include "runtime/posix/local_stream.h"
#include "runtime/qt/desktop_windows/file_manager_titles.h"

namespace quorvel::runtime::qt {

SwayIpcWindows::SwayIpcWindows(std::string socketPath, std::chrono::milliseconds patience,
                               const posix::OpenerSessions* openers)
    : socketPath_(std::move(socketPath)), patience_(patience), openers_(openers) {}

SwayIpcWindows SwayIpcWindows::fromEnvironment(const posix::OpenerSessions* openers) {
    for (const char* name : {"SWAYSOCK", "I3SOCK"}) {
        if (const char* path = std::getenv(name); path != nullptr && *path != '\0') {
            return SwayIpcWindows(path, std::chrono::milliseconds(500), openers);
        }
    }
    return SwayIpcWindows(std::string(), std::chrono::milliseconds(500), openers);
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

namespace {

bool listed(const std::vector<std::int64_t>& ids, std::int64_t id) {
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

bool showsByTable(const i3ipc::TreeWindow& window, const FolderWindow& folder) {
    return titleShowsFolder(window.title.toStdString(), window.windowClass.toStdString(), folder);
}

}  // namespace

std::vector<i3ipc::TreeWindow> SwayIpcWindows::windows(posix::LocalStream& socket) const {
    if (!socket.connected()) {
        return {};
    }
    const auto tree = exchange(socket, i3ipc::kGetTree, {});
    return tree ? i3ipc::windowsInTreeReply(*tree) : std::vector<i3ipc::TreeWindow>{};
}

void SwayIpcWindows::noteWindowsBeforeOpen(const FolderWindow& folder) {
    if (socketPath_.empty()) {
        return;
    }
    posix::LocalStream socket(socketPath_, std::chrono::steady_clock::now() + patience_);
    windowsBeforeOpen_.clear();
    windowsAtOpen_.clear();
    for (const i3ipc::TreeWindow& window : windows(socket)) {
        windowsAtOpen_.push_back(window.id);
        if (showsByTable(window, folder)) {
            windowsBeforeOpen_.push_back(window.id);
        }
    }
}

bool SwayIpcWindows::closeFolderWindow(const FolderWindow& folder) {
    if (socketPath_.empty()) {
        return false;
    }
    const auto byOpener = [&](const i3ipc::TreeWindow& window) {
        return openers_ != nullptr &&
               openerWindowShowsFolder(
                   window.title.toStdString(),
                   window.pid > 0 && openers_->holds(folder.path, static_cast<pid_t>(window.pid)),
                   listed(windowsAtOpen_, window.id), folder);
    };
    posix::LocalStream socket(socketPath_, std::chrono::steady_clock::now() + patience_);
    bool closed = false;
    for (const i3ipc::TreeWindow& window : windows(socket)) {
        if (listed(windowsBeforeOpen_, window.id) ||
            !(showsByTable(window, folder) || byOpener(window))) {
            continue;
        }
        const auto reply = exchange(socket, i3ipc::kRunCommand, i3ipc::killCommand(window.id));
        if (!reply) {
            break;
        }
        closed = i3ipc::commandSucceeded(reply->sliced(i3ipc::kHeaderSize)) || closed;
    }
    return closed;
}

}  // namespace quorvel::runtime::qt
