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

// Whether a title names `folder`, whatever the program: its name or its full path as the whole
// title, or as one part of a title whose parts are joined by " - " ("Xfe - /opt/Quorvel/taro").
bool titleNamesFolder(std::string_view title, const FolderWindow& folder);

// Whether a window of a file manager outside the table shows `folder`: one that a process in the
// session of an opener this run started for the folder made after the open, and whose title
// names the folder.
bool openerWindowShowsFolder(std::string_view title, bool inOpenersSession, bool existedBeforeOpen,
                             const FolderWindow& folder);

}  // namespace quorvel::runtime::qt
