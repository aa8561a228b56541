// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>

namespace quorvel::runtime::posix {

// A client of a Unix stream socket whose every step gives up at one deadline, so that a peer
// that stops answering costs at most the time left.
class LocalStream {
  public:
    using Deadline = std::chrono::steady_clock::time_point;

    LocalStream(const std::string& path, Deadline deadline);
    ~LocalStream();
    LocalStream(const LocalStream&) = delete;
    LocalStream& operator=(const LocalStream&) = delete;

    bool connected() const { return fd_ >= 0; }
    bool writeAll(const char* data, std::size_t size);
    // Exactly `size` bytes, or nothing when the peer closes or the deadline passes first.
    std::optional<std::string> readExactly(std::size_t size);

  private:
    bool waitFor(short events);

    int fd_ = -1;
    Deadline deadline_;
};

}  // namespace quorvel::runtime::posix
