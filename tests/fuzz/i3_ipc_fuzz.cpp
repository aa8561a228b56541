// SPDX-License-Identifier: MIT
// Replies on sway's (or i3's) IPC socket: any bytes a compositor, or whatever holds the socket,
// may send back.
#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz_check.h"
#include "runtime/qt/desktop_windows/i3_ipc.h"

using namespace quorvel::runtime::qt;

// Input: title length (mod 32), the title, then a GET_TREE payload, or (first byte odd) a whole
// reply with its header; the same bytes are also taken as a RUN_COMMAND reply.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    const auto* bytes = reinterpret_cast<const char*>(data);
    const std::size_t titleLength = std::min<std::size_t>((data[0] >> 1) % 32, size - 1);
    const std::string title(bytes + 1, titleLength);
    const QByteArrayView rest(bytes + 1 + titleLength,
                              static_cast<qsizetype>(size - 1 - titleLength));

    const bool wholeReply = (data[0] & 1) != 0;
    const QByteArray reply =
        wholeReply ? rest.toByteArray() : i3ipc::encodeMessage(i3ipc::kGetTree, rest);
    const quorvel::runtime::FolderWindow folder{"/opt/Quorvel/" + title, title};
    const std::vector<std::int64_t> ids = i3ipc::windowsShowingInTreeReply(reply, folder);
    for (const std::int64_t id : ids) {
        check(id > 0);
        check(i3ipc::killCommand(id) == "[con_id=" + QByteArray::number(id) + "] kill");
    }
    if (!wholeReply) {
        // The header adds nothing: the same windows as the payload alone.
        check(ids == i3ipc::windowsShowing(rest, folder));
    }
    if (i3ipc::commandSucceeded(rest)) {
        const QJsonDocument parsed = QJsonDocument::fromJson(rest.toByteArray());
        check(parsed.isArray() && !parsed.array().isEmpty());
    }
    return 0;
}
