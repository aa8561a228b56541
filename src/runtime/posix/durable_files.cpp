// SPDX-License-Identifier: MIT
#include "runtime/posix/durable_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace quorvel::runtime::posix {

namespace {

std::string reason(int error) {
    return std::strerror(error);
}

}  // namespace

std::string writeAll(int descriptor, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(descriptor, data, size);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return reason(errno);
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return std::string();
}

std::string syncFileData(int descriptor) {
    return ::fdatasync(descriptor) == 0 ? std::string() : reason(errno);
}

std::string syncFolder(const std::string& path) {
    const int folder = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) {
        return reason(errno);
    }
    const int result = ::fsync(folder);
    const int error = errno;
    ::close(folder);
    // Some file systems cannot sync a folder at all; that is no failure of the save.
    return result == 0 || error == EINVAL || error == ENOTSUP ? std::string() : reason(error);
}

std::string makeOwnerOnly(int descriptor) {
    return ::fchmod(descriptor, S_IRUSR | S_IWUSR) == 0 ? std::string() : reason(errno);
}

std::string makePrivateFolders(const std::string& path) {
    struct stat status {};
    if (path.empty() || ::stat(path.c_str(), &status) == 0) {
        return std::string();
    }
    const std::string::size_type slash = path.find_last_of('/');
    if (slash != std::string::npos && slash > 0) {
        if (std::string failed = makePrivateFolders(path.substr(0, slash)); !failed.empty()) {
            return failed;
        }
    }
    if (::mkdir(path.c_str(), S_IRWXU) != 0) {
        return errno == EEXIST ? std::string() : path + ": " + reason(errno);
    }
    // Exactly 0700 whatever the umask took away, through the new folder itself.
    const int folder = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folder < 0 || ::fchmod(folder, S_IRWXU) != 0) {
        const std::string failed = path + ": " + reason(errno);
        if (folder >= 0) {
            ::close(folder);
        }
        return failed;
    }
    ::close(folder);
    return std::string();
}

}  // namespace quorvel::runtime::posix
