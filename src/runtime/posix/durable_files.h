// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>

namespace quorvel::runtime::posix {

// Each returns the system's reason when it fails, and an empty string when it worked.

// All of the bytes written to an open file, however many writes it takes.
std::string writeAll(int descriptor, const char* data, std::size_t size);
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
