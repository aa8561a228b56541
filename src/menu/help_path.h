// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace quorvel::menu {

// The help page below the application folder: <folder>/Help/help.html.
std::string helpPath(std::string_view applicationFolder, char separator);

}  // namespace quorvel::menu
