// SPDX-License-Identifier: MIT
#include "runtime/posix/posix_file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvel::runtime::posix {

std::optional<PathInfo> PosixFileSystem::examine(const std::string& path) const {
    struct stat status {};
    if (path.empty() || ::lstat(path.c_str(), &status) != 0) {
        return std::nullopt;
    }
    PathInfo info{PathInfo::Kind::Other, status.st_uid == ::geteuid()};
    if (S_ISDIR(status.st_mode)) {
        info.kind = PathInfo::Kind::Directory;
    } else if (S_ISLNK(status.st_mode)) {
        info.kind = PathInfo::Kind::SymbolicLink;
    }
    return info;
}

bool PosixFileSystem::createPrivateDirectory(const std::string& path) {
    if (path.empty() || ::mkdir(path.c_str(), S_IRWXU) != 0) {
        return false;
    }
    // Exactly 0700, whatever the umask took away; through a descriptor of the new directory
    // itself, never through a link put in its place.
    const int directory = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (directory >= 0) {
        ::fchmod(directory, S_IRWXU);
        ::close(directory);
    }
    return true;
}

}  // namespace quorvel::runtime::posix
