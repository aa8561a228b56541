// SPDX-License-Identifier: MIT
#include "runtime/posix/local_stream.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace quorvel::runtime::posix {

LocalStream::LocalStream(const std::string& path, Deadline deadline) : deadline_(deadline) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) {
        return;
    }
    std::memcpy(address.sun_path, path.data(), path.size());
    fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd_ < 0) {
        return;
    }
    if (::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
        return;
    }
    int error = errno;
    if ((error == EINPROGRESS || error == EAGAIN) && waitFor(POLLOUT)) {
        socklen_t length = sizeof error;
        if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &length) != 0) {
            error = errno;
        }
    }
    if (error != 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

LocalStream::~LocalStream() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

bool LocalStream::waitFor(short events) {
    for (;;) {
        // Rounded up: a wait that gives up must have reached the deadline, which callers tell
        // apart from a peer that hung up.
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
            deadline_ - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return false;
        }
        pollfd entry{fd_, events, 0};
        const int ready = ::poll(&entry, 1, static_cast<int>(left.count()));
        if (ready > 0) {
            return (entry.revents & events) != 0;
        }
        if (ready < 0 && errno != EINTR) {
            return false;
        }
    }
}

bool LocalStream::writeAll(const char* data, std::size_t size) {
    while (connected() && size > 0) {
        const ssize_t sent = ::send(fd_, data, size, MSG_NOSIGNAL);
        if (sent > 0) {
            data += sent;
            size -= static_cast<std::size_t>(sent);
        } else if (sent < 0 && errno != EAGAIN && errno != EINTR) {
            return false;
        } else if (sent < 0 && errno == EAGAIN && !waitFor(POLLOUT)) {
            return false;
        }
    }
    return connected();
}

std::optional<std::string> LocalStream::readExactly(std::size_t size) {
    // Grown as bytes come, not sized by what the peer announced.
    std::string bytes;
    char chunk[65536];
    while (connected() && bytes.size() < size) {
        const ssize_t got = ::recv(fd_, chunk, std::min(sizeof chunk, size - bytes.size()), 0);
        if (got > 0) {
            bytes.append(chunk, static_cast<std::size_t>(got));
        } else if (got == 0 || (errno != EAGAIN && errno != EINTR)) {
            return std::nullopt;
        } else if (errno == EAGAIN && !waitFor(POLLIN)) {
            return std::nullopt;
        }
    }
    return connected() ? std::optional<std::string>(std::move(bytes)) : std::nullopt;
}

}  // namespace quorvel::runtime::posix
