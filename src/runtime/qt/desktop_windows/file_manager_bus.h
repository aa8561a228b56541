// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>

#include "runtime/folder_window.h"

namespace quorvel::runtime::qt {

// The file managers that tell on the session bus which folder each of their windows shows:
// nautilus (org.freedesktop.FileManager1's OpenWindowsWithLocations; the window closed through
// its own GTK action) and dolphin (org.kde.dolphin.MainWindow.isUrlOpen on each window; closed
// through its KXmlGui action). This reaches their native Wayland windows as well. Only running
// file managers are asked, none is started; every call shares one short deadline.
class FileManagerBus {
  public:
    explicit FileManagerBus(std::chrono::milliseconds patience = std::chrono::milliseconds(1000))
        : patience_(patience) {}

    // Closes the windows that show the folder and nothing else. False when there is none.
    bool closeFolderWindow(const FolderWindow& folder) const;

  private:
    std::chrono::milliseconds patience_;
};

}  // namespace quorvel::runtime::qt
