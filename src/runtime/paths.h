// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace quorvel::runtime {

// folder + name with exactly one separator between them: none is added when the folder already
// ends in one (a root folder does).
inline std::string joinPath(std::string_view folder, std::string_view name, char separator) {
    std::string path(folder);
    if (path.empty() || path.back() != separator) {
        path += separator;
    }
    path += name;
    return path;
}

}  // namespace quorvel::runtime
