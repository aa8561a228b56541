// SPDX-License-Identifier: MIT
#include "runtime/qt/desktop_windows/i3_ipc.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <cstring>

#include "runtime/qt/desktop_windows/file_manager_titles.h"

namespace quorvel::runtime::qt::i3ipc {

namespace {

constexpr char kMagic[] = {'i', '3', '-', 'i', 'p', 'c'};
constexpr std::size_t kMagicSize = sizeof kMagic;

std::uint32_t readNative32(const char* bytes) {
    std::uint32_t value = 0;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

void appendNative32(QByteArray& out, std::uint32_t value) {
    char bytes[sizeof value];
    std::memcpy(bytes, &value, sizeof value);
    out.append(bytes, sizeof value);
}

bool isEmptyOrAbsentArray(const QJsonObject& node, const QString& key) {
    const QJsonValue value = node.value(key);
    return value.isUndefined() || value.isNull() || (value.isArray() && value.toArray().isEmpty());
}

// A view: a container of a window, not a split, workspace or output.
bool isWindow(const QJsonObject& node) {
    const QString type = node.value(QStringLiteral("type")).toString();
    return (type == QStringLiteral("con") || type == QStringLiteral("floating_con")) &&
           isEmptyOrAbsentArray(node, QStringLiteral("nodes")) &&
           isEmptyOrAbsentArray(node, QStringLiteral("floating_nodes"));
}

// A native Wayland window's app_id, or an Xwayland window's X11 class.
QString windowClass(const QJsonObject& node) {
    const QJsonValue appId = node.value(QStringLiteral("app_id"));
    if (appId.isString()) {
        return appId.toString();
    }
    return node.value(QStringLiteral("window_properties"))
        .toObject()
        .value(QStringLiteral("class"))
        .toString();
}

std::vector<std::int64_t> showing(const std::vector<TreeWindow>& windows,
                                  const FolderWindow& folder) {
    std::vector<std::int64_t> found;
    for (const TreeWindow& window : windows) {
        if (titleShowsFolder(window.title.toStdString(), window.windowClass.toStdString(),
                             folder)) {
            found.push_back(window.id);
        }
    }
    return found;
}

}  // namespace

QByteArray encodeMessage(std::uint32_t type, QByteArrayView payload) {
    QByteArray out(kMagic, kMagicSize);
    appendNative32(out, static_cast<std::uint32_t>(payload.size()));
    appendNative32(out, type);
    out.append(payload.data(), payload.size());
    return out;
}

std::optional<std::uint32_t> replyPayloadLength(QByteArrayView header, std::uint32_t type) {
    if (static_cast<std::size_t>(header.size()) < kHeaderSize ||
        std::memcmp(header.data(), kMagic, kMagicSize) != 0) {
        return std::nullopt;
    }
    const std::uint32_t length = readNative32(header.data() + kMagicSize);
    const std::uint32_t replyType = readNative32(header.data() + kMagicSize + 4);
    if (replyType != type || length > kMaxPayload) {
        return std::nullopt;
    }
    return length;
}

std::vector<TreeWindow> windowsIn(QByteArrayView treeJson) {
    QJsonParseError error{};
    const QJsonDocument tree = QJsonDocument::fromJson(treeJson.toByteArray(), &error);
    if (error.error != QJsonParseError::NoError || !tree.isObject()) {
        return {};
    }
    std::vector<TreeWindow> found;
    // Depth first with a stack of our own: the tree's depth is the reply's to choose.
    std::vector<QJsonObject> pending{tree.object()};
    while (!pending.empty()) {
        const QJsonObject node = std::move(pending.back());
        pending.pop_back();
        const QJsonValue id = node.value(QStringLiteral("id"));
        if (isWindow(node) && id.isDouble() && id.toInteger(-1) > 0) {
            const std::int64_t pid = node.value(QStringLiteral("pid")).toInteger(0);
            found.push_back({id.toInteger(), node.value(QStringLiteral("name")).toString(),
                             windowClass(node), pid > 0 ? pid : 0});
        }
        // Reversed onto the stack, so that windows come out in the tree's order.
        std::vector<QJsonObject> children;
        for (const QString& key : {QStringLiteral("nodes"), QStringLiteral("floating_nodes")}) {
            for (const QJsonValue child : node.value(key).toArray()) {
                if (child.isObject()) {
                    children.push_back(child.toObject());
                }
            }
        }
        pending.insert(pending.end(), children.rbegin(), children.rend());
    }
    return found;
}

std::vector<TreeWindow> windowsInTreeReply(QByteArrayView reply) {
    const auto length = replyPayloadLength(reply, kGetTree);
    if (!length || static_cast<std::size_t>(reply.size()) != kHeaderSize + *length) {
        return {};
    }
    return windowsIn(reply.sliced(kHeaderSize));
}

std::vector<std::int64_t> windowsShowing(QByteArrayView treeJson, const FolderWindow& folder) {
    return showing(windowsIn(treeJson), folder);
}

std::vector<std::int64_t> windowsShowingInTreeReply(QByteArrayView reply,
                                                    const FolderWindow& folder) {
    return showing(windowsInTreeReply(reply), folder);
}

bool commandSucceeded(QByteArrayView replyJson) {
    const QJsonDocument reply = QJsonDocument::fromJson(replyJson.toByteArray());
    const QJsonArray results = reply.array();
    if (!reply.isArray() || results.isEmpty()) {
        return false;
    }
    for (const QJsonValue result : results) {
        if (!result.toObject().value(QStringLiteral("success")).toBool(false)) {
            return false;
        }
    }
    return true;
}

QByteArray killCommand(std::int64_t containerId) {
    return "[con_id=" + QByteArray::number(static_cast<qlonglong>(containerId)) + "] kill";
}

}  // namespace quorvel::runtime::qt::i3ipc
