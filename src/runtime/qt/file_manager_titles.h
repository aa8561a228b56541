// SPDX-License-Identifier: MIT
#pragma once

#include <string_view>

#include "runtime/folder_window.h"

namespace quorvel::runtime::qt {

// Whether a top-level window with this title and class (X11 WM_CLASS class or instance, Wayland
// app_id) is a file manager's window showing `folder`, by the title each file manager gives a
// folder window. Windows of any other program never are. The title alone cannot tell two
// folders of the same name apart: callers that can ask the file manager which folder a window
// shows do so first, and the others leave alone the windows that showed the name before the
// folder was opened.
bool titleShowsFolder(std::string_view title, std::string_view windowClass,
                      const FolderWindow& folder);

}  // namespace quorvel::runtime::qt
