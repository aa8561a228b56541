// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>

namespace quorvel::runtime::posix {

// What reading a file found. Anything but a regular file is refused unread: a FIFO would block
// the reader, a device would never end.
struct FileReading {
    enum class Outcome { Read, Missing, Refused };
    Outcome outcome = Outcome::Missing;
    std::string content;
    // When refused: why, without the path.
    std::string reason;
};

// The whole file, through links, if it is a regular file of at most maxBytes. Never blocks.
FileReading readRegularFile(const std::string& path, std::size_t maxBytes);

// Why the path, through links, is no place for a regular file (a FIFO, a device, a folder...);
// empty when it is a regular file or nothing is there.
std::string notARegularFile(const std::string& path);

}  // namespace quorvel::runtime::posix
