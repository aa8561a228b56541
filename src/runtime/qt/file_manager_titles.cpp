// SPDX-License-Identifier: MIT
#include "runtime/qt/file_manager_titles.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>

namespace quorvel::runtime::qt {

namespace {

// What follows the folder's name in a folder window's title.
struct FileManager {
    std::string_view windowClass;  // compared without regard to case
    std::string_view titleSuffix;
};

// Dolphin also sets the bare name as WM_NAME; its _NET_WM_NAME carries the suffix.
constexpr std::array kFileManagers{
    FileManager{"thunar", " - Thunar"},
    FileManager{"pcmanfm", ""},
    FileManager{"pcmanfm-qt", ""},
    FileManager{"caja", ""},
    FileManager{"nemo", ""},
    FileManager{"org.gnome.nautilus", ""},
    FileManager{"dolphin", " \u2014 Dolphin"},
    FileManager{"dolphin", ""},
    FileManager{"org.kde.dolphin", " \u2014 Dolphin"},
    FileManager{"org.kde.dolphin", ""},
};

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

}  // namespace

bool titleShowsFolder(std::string_view title, std::string_view windowClass,
                      const FolderWindow& folder) {
    if (folder.name.empty()) {
        return false;
    }
    return std::any_of(kFileManagers.begin(), kFileManagers.end(), [&](const FileManager& fm) {
        return sameIgnoringCase(windowClass, fm.windowClass) &&
               title.size() == folder.name.size() + fm.titleSuffix.size() &&
               title.starts_with(folder.name) && title.ends_with(fm.titleSuffix);
    });
}

}  // namespace quorvel::runtime::qt
