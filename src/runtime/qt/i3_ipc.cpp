#include "runtime/qt/i3_ipc.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <cstring>

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

std::vector<std::int64_t> windowsTitled(QByteArrayView treeJson, std::string_view title) {
    QJsonParseError error{};
    const QJsonDocument tree = QJsonDocument::fromJson(treeJson.toByteArray(), &error);
    if (error.error != QJsonParseError::NoError || !tree.isObject()) {
        return {};
    }
    const QString wanted = QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size()));
    std::vector<std::int64_t> found;
    // Depth first with a stack of our own: the tree's depth is the reply's to choose.
    std::vector<QJsonObject> pending{tree.object()};
    while (!pending.empty()) {
        const QJsonObject node = std::move(pending.back());
        pending.pop_back();
        const QJsonValue name = node.value(QStringLiteral("name"));
        const QJsonValue id = node.value(QStringLiteral("id"));
        if (isWindow(node) && name.isString() && name.toString() == wanted && id.isDouble() &&
            id.toInteger(-1) > 0) {
            found.push_back(id.toInteger());
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

std::vector<std::int64_t> windowsTitledInTreeReply(QByteArrayView reply, std::string_view title) {
    const auto length = replyPayloadLength(reply, kGetTree);
    if (!length || static_cast<std::size_t>(reply.size()) != kHeaderSize + *length) {
        return {};
    }
    return windowsTitled(reply.sliced(kHeaderSize), title);
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
