// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "runtime/file_system.h"

namespace quorvel::runtime::win32 {

// A reparse point (symbolic link, junction) counts as a link, never as the directory it may
// lead to. A path is the user's when its owner is the user, or the Administrators group for a
// user who is an administrator (what an elevated program creates is owned by the group).
class Win32FileSystem final : public FileSystem {
  public:
    std::optional<PathInfo> examine(const std::string& path) const override;
    // CreateDirectoryW owned by the user, with a protected DACL that admits only the user.
    bool createPrivateDirectory(const std::string& path) override;
};

// The security descriptor, as SDDL, that a private directory is made with: the current user as
// owner, a protected DACL that allows the user alone everything, inherited by what is inside.
std::wstring privateDirectorySecurity();

}  // namespace quorvel::runtime::win32
