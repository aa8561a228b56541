#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

// The IPC protocol that sway and i3 speak on their socket: "i3-ipc", the payload's length and
// the message type (both 32-bit, in the machine's byte order), then a JSON payload. Pure
// functions over bytes, so that any reply, however broken, is only data.
namespace quorvel::runtime::qt::i3ipc {

inline constexpr std::uint32_t kRunCommand = 0;
inline constexpr std::uint32_t kGetTree = 4;
inline constexpr std::size_t kHeaderSize = 14;
// Far above any real tree; a larger announced length is taken as a broken reply.
inline constexpr std::uint32_t kMaxPayload = 64u << 20;

QByteArray encodeMessage(std::uint32_t type, QByteArrayView payload);

// The payload length a reply header announces, when `header` is a well-formed header of a reply
// of `type`.
std::optional<std::uint32_t> replyPayloadLength(QByteArrayView header, std::uint32_t type);

// The ids of the windows (leaf containers) whose title is exactly `title`, from a GET_TREE
// payload. Empty for anything that is not such a tree.
std::vector<std::int64_t> windowsTitled(QByteArrayView treeJson, std::string_view title);

// A whole GET_TREE reply, header and payload: the ids of the windows titled exactly `title`;
// empty when the reply is malformed or incomplete.
std::vector<std::int64_t> windowsTitledInTreeReply(QByteArrayView reply, std::string_view title);

// True when a RUN_COMMAND payload reports that every command succeeded.
bool commandSucceeded(QByteArrayView replyJson);

// The command that closes one window, by its container id.
QByteArray killCommand(std::int64_t containerId);

}  // namespace quorvel::runtime::qt::i3ipc
