// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "runtime/system_info.h"

namespace quorvel::runtime::win32 {

class Win32SystemInfo final : public SystemInfo {
  public:
    std::string applicationFolder() const override;
    std::optional<std::string> userName() const override;
    char pathSeparator() const override { return '\\'; }
};

// The folder part of a file's full path: no trailing separator, except for a drive's root.
std::wstring folderOf(const std::wstring& path);

}  // namespace quorvel::runtime::win32
