// SPDX-License-Identifier: MIT
#include "runtime/posix/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstring>

namespace quorvel::runtime::posix {

namespace {

std::string kindOf(mode_t mode) {
    if (S_ISDIR(mode)) {
        return "is a folder, not a file";
    }
    if (S_ISFIFO(mode)) {
        return "is a FIFO (named pipe), not a regular file";
    }
    if (S_ISCHR(mode) || S_ISBLK(mode)) {
        return "is a device, not a regular file";
    }
    if (S_ISSOCK(mode)) {
        return "is a socket, not a regular file";
    }
    return "is not a regular file";
}

std::string tooLarge(std::size_t maxBytes) {
    return "is larger than the " + std::to_string(maxBytes) + " bytes a store may hold";
}

}  // namespace

FileReading readRegularFile(const std::string& path, std::size_t maxBytes) {
    FileReading reading;
    // Non-blocking: opening a FIFO must not wait for a writer.
    const int file = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (file < 0) {
        if (errno != ENOENT) {
            reading.outcome = FileReading::Outcome::Refused;
            reading.reason = std::strerror(errno);
        }
        return reading;
    }
    reading.outcome = FileReading::Outcome::Refused;
    struct stat status {};
    if (::fstat(file, &status) != 0) {
        reading.reason = std::strerror(errno);
    } else if (!S_ISREG(status.st_mode)) {
        reading.reason = kindOf(status.st_mode);
    } else if (static_cast<unsigned long long>(status.st_size) > maxBytes) {
        reading.reason = tooLarge(maxBytes);
    } else {
        // One byte more than fstat said tells a file that grew meanwhile.
        reading.content.resize(static_cast<std::size_t>(status.st_size) + 1);
        std::size_t size = 0;
        while (size < reading.content.size()) {
            const ssize_t got =
                ::read(file, reading.content.data() + size, reading.content.size() - size);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got < 0) {
                reading.reason = std::strerror(errno);
                break;
            }
            if (got == 0) {
                break;
            }
            size += static_cast<std::size_t>(got);
            if (size == reading.content.size() && size <= maxBytes) {
                reading.content.resize(std::min(2 * size, maxBytes + 1));
            }
        }
        reading.content.resize(size);
        if (reading.reason.empty() && size > maxBytes) {
            reading.reason = tooLarge(maxBytes);
        }
        if (reading.reason.empty()) {
            reading.outcome = FileReading::Outcome::Read;
        } else {
            reading.content.clear();
        }
    }
    ::close(file);
    return reading;
}

std::string notARegularFile(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        return errno == ENOENT ? std::string() : std::strerror(errno);
    }
    return S_ISREG(status.st_mode) ? std::string() : kindOf(status.st_mode);
}

}  // namespace quorvel::runtime::posix
