// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace quorvel::runtime {

// The private folder whose window the program closes at exit.
struct FolderWindow {
    std::string path;  // absolute, without a trailing separator
    std::string name;  // its last component, which most file managers show as the window's title
};

}  // namespace quorvel::runtime
