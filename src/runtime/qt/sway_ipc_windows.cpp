#include "runtime/qt/sway_ipc_windows.h"

#include <QLocalSocket>
#include <QtGlobal>

#include "runtime/qt/i3_ipc.h"

namespace quorvel::runtime::qt {

namespace {

int remainingMs(const QDeadlineTimer& deadline) {
    return static_cast<int>(qMax<qint64>(1, deadline.remainingTime()));
}

// Reads exactly `count` bytes, or nothing once the deadline has passed.
std::optional<QByteArray> readExactly(QLocalSocket& socket, qint64 count,
                                      const QDeadlineTimer& deadline) {
    QByteArray bytes;
    while (bytes.size() < count) {
        if (socket.bytesAvailable() == 0 &&
            (deadline.hasExpired() || !socket.waitForReadyRead(remainingMs(deadline)))) {
            return std::nullopt;
        }
        bytes.append(socket.read(count - bytes.size()));
    }
    return bytes;
}

}  // namespace

SwayIpcWindows::SwayIpcWindows(QString socketPath, std::chrono::milliseconds patience)
    : socketPath_(std::move(socketPath)), patience_(patience) {}

SwayIpcWindows SwayIpcWindows::fromEnvironment() {
    QString path = qEnvironmentVariable("SWAYSOCK");
    if (path.isEmpty()) {
        path = qEnvironmentVariable("I3SOCK");
    }
    return SwayIpcWindows(path);
}

std::optional<QByteArray> SwayIpcWindows::exchange(QLocalSocket& socket, std::uint32_t type,
                                                   const QByteArray& payload,
                                                   const QDeadlineTimer& deadline) {
    socket.write(i3ipc::encodeMessage(type, payload));
    while (socket.bytesToWrite() > 0) {
        if (deadline.hasExpired() || !socket.waitForBytesWritten(remainingMs(deadline))) {
            return std::nullopt;
        }
    }
    const auto header = readExactly(socket, i3ipc::kHeaderSize, deadline);
    if (!header) {
        return std::nullopt;
    }
    const auto length = i3ipc::replyPayloadLength(*header, type);
    if (!length) {
        return std::nullopt;
    }
    const auto body = readExactly(socket, *length, deadline);
    if (!body) {
        return std::nullopt;
    }
    return *header + *body;
}

bool SwayIpcWindows::closeWindowTitled(const std::string& title) {
    if (socketPath_.isEmpty()) {
        return false;
    }
    const QDeadlineTimer deadline(patience_);
    QLocalSocket socket;
    socket.connectToServer(socketPath_);
    if (!socket.waitForConnected(remainingMs(deadline))) {
        return false;
    }
    const auto tree = exchange(socket, i3ipc::kGetTree, {}, deadline);
    if (!tree) {
        return false;
    }
    bool closed = false;
    for (const std::int64_t id : i3ipc::windowsTitledInTreeReply(*tree, title)) {
        const auto reply = exchange(socket, i3ipc::kRunCommand, i3ipc::killCommand(id), deadline);
        if (!reply) {
            break;
        }
        closed = i3ipc::commandSucceeded(reply->sliced(i3ipc::kHeaderSize)) || closed;
    }
    return closed;
}

}  // namespace quorvel::runtime::qt
