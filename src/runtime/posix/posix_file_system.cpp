#include "runtime/posix/posix_file_system.h"

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
    return !path.empty() && ::mkdir(path.c_str(), S_IRWXU) == 0;
}

}  // namespace quorvel::runtime::posix
