// SPDX-License-Identifier: MIT
#pragma once

#include "runtime/file_system.h"

namespace quorvel::runtime::posix {

class PosixFileSystem final : public FileSystem {
  public:
    std::optional<PathInfo> examine(const std::string& path) const override;
    bool createPrivateDirectory(const std::string& path) override;
};

}  // namespace quorvel::runtime::posix
