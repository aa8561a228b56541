// SPDX-License-Identifier: MIT
#include "runtime/posix/local_stream.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cstring>

namespace quorvel::runtime::posix {
namespace {

// A peer that takes the connection and never answers: every read gives up at its deadline, not
// a moment before, since callers tell a silent peer from one that hung up by the time.
TEST(LocalStream, AReadFromASilentPeerGivesUpOnlyAtTheDeadline) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string path = dir.filePath(QStringLiteral("silent")).toStdString();
    const int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size());
    ASSERT_EQ(::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 128), 0);

    // Short deadlines, many times: one that is a fraction of a millisecond away must not count
    // as passed.
    for (int i = 0; i < 100; ++i) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::microseconds(2500);
        LocalStream peer(path, deadline);
        ASSERT_TRUE(peer.connected());
        ASSERT_TRUE(peer.writeAll("ping", 4));
        EXPECT_FALSE(peer.readExactly(4));
        ASSERT_GE(std::chrono::steady_clock::now(), deadline) << "gave up early, in round " << i;
    }
    ::close(listener);
}

}  // namespace
}  // namespace quorvel::runtime::posix
