// SPDX-License-Identifier: MIT
#include "menu/help_path.h"

#include "runtime/paths.h"

namespace quorvel::menu {

std::string helpPath(std::string_view applicationFolder, char separator) {
    using runtime::joinPath;
    return joinPath(joinPath(applicationFolder, "Help", separator), "help.html", separator);
}

}  // namespace quorvel::menu
