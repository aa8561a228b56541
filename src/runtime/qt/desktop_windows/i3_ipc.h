// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "runtime/folder_window.h"

// The IPC protocol that sway and i3 speak on their socket: "i3-ipc", the payload's length and
// the message type (both 32-bit, in the machine's byte order), then a JSON payload. Pure
// functions over bytes, so that any reply, however broken, is only data.
namespace quorvel::runtime::qt::i3ipc {

inline constexpr std::uint32_t kRunCommand = 0;
inline constexpr std::uint32_t kGetTree = 4;
inline constexpr std::size_t kHeaderSize = 14;
// Far above a real tree (a window takes 0.6 to 2 kB of it, so a thousand windows or more); a
// larger announced length is taken as a broken reply and not read, so that reading and parsing
// stay within the exit's bound (parsing 2 MB takes about 0.1 s of CPU).
inline constexpr std::uint32_t kMaxPayload = 2u << 20;

QByteArray encodeMessage(std::uint32_t type, QByteArrayView payload);

// The payload length a reply header announces, when `header` is a well-formed header of a reply
// of `type`.
std::optional<std::uint32_t> replyPayloadLength(QByteArrayView header, std::uint32_t type);

// A window (leaf container) of a GET_TREE payload.
struct TreeWindow {
    std::int64_t id;
    QString title;
    QString windowClass;  // a native Wayland window's app_id, an Xwayland window's X11 class
    std::int64_t pid;     // 0 when the tree gives none (i3 does not)
};

// Every window in a GET_TREE payload, in the tree's order; empty for anything that is not such a
// tree.
std::vector<TreeWindow> windowsIn(QByteArrayView treeJson);

// A whole GET_TREE reply, header and payload: its windows; empty when the reply is malformed or
// incomplete.
std::vector<TreeWindow> windowsInTreeReply(QByteArrayView reply);

// The ids of the windows (leaf containers) of a file manager whose title shows `folder` (by
// their Wayland app_id, or the X11 class of an Xwayland window), from a GET_TREE payload. Empty
// for anything that is not such a tree.
std::vector<std::int64_t> windowsShowing(QByteArrayView treeJson, const FolderWindow& folder);

// A whole GET_TREE reply, header and payload: the windows that show `folder`; empty when the
// reply is malformed or incomplete.
std::vector<std::int64_t> windowsShowingInTreeReply(QByteArrayView reply,
                                                    const FolderWindow& folder);

// True when a RUN_COMMAND payload reports that every command succeeded.
bool commandSucceeded(QByteArrayView replyJson);

// The command that closes one window, by its container id.
QByteArray killCommand(std::int64_t containerId);

}  // namespace quorvel::runtime::qt::i3ipc
