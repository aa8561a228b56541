#pragma once

#include <string>

namespace quorvel::runtime::posix {

// Each returns the system's reason when it fails, and an empty string when it worked.

// The data of an open file on the disk (fdatasync).
std::string syncFileData(int descriptor);
// The entries of a folder on the disk, so that a rename in it survives a power cut.
std::string syncFolder(const std::string& path);
// Readable and writable by its owner only, whatever the umask gave it.
std::string makeOwnerOnly(int descriptor);
// Makes the folder and any missing parent, each readable by its owner only (0700); folders
// that exist already are left as they are.
std::string makePrivateFolders(const std::string& path);

}  // namespace quorvel::runtime::posix
