// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>

namespace quorvel::runtime {

struct PathInfo {
    enum class Kind { Directory, SymbolicLink, Other };
    Kind kind;
    bool ownedByCurrentUser;
};

class FileSystem {
  public:
    virtual ~FileSystem() = default;
    // What is at the path itself, a symbolic link not followed; nothing when the path does not
    // exist or cannot be examined.
    virtual std::optional<PathInfo> examine(const std::string& path) const = 0;
    // Creates one directory that only the current user may enter. False when it cannot be
    // created, also when something already has that name.
    virtual bool createPrivateDirectory(const std::string& path) = 0;
};

}  // namespace quorvel::runtime
