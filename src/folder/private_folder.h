// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "runtime/runtime.h"

namespace quorvel::folder {

inline constexpr const char* kDefaultUserName = "Default User";
inline constexpr const char* kFolderErrorTitle = "Quorvel フォルダーエラー";

// The login name, or "Default User" when the system reports none.
std::string userNameOf(const runtime::SystemInfo& system);

// The application folder, one separator, then the user name.
std::string privateFolderPath(const std::string& applicationFolder, const std::string& userName,
                              char separator);

// True when the folder is a directory of the current user's, reached without a symbolic link.
bool FileExists(const std::string& privateFolder, const runtime::FileSystem& files);

// Opens the folder, creating it first when it is missing. When its name is taken by something
// else, or it cannot be created, says so and opens nothing. True when the folder was handed to
// the shell.
bool openPrivateFolder(const std::string& privateFolder, runtime::Runtime& runtime);

}  // namespace quorvel::folder
