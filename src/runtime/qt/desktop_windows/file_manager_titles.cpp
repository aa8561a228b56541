// SPDX-License-Identifier: MIT
#include "runtime/qt/desktop_windows/file_manager_titles.h"

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

bool namesAsPart(std::string_view title, std::string_view text) {
    if (text.empty()) {
        return false;
    }
    constexpr std::string_view kJoin = " - ";
    const std::string joined = std::string(kJoin) + std::string(text) + std::string(kJoin);
    const std::string_view inner(joined);
    return title == text || title.starts_with(inner.substr(kJoin.size())) ||
           title.ends_with(inner.substr(0, inner.size() - kJoin.size())) ||
           title.find(inner) != std::string_view::npos;
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

bool titleNamesFolder(std::string_view title, const FolderWindow& folder) {
    return namesAsPart(title, folder.name) || namesAsPart(title, folder.path);
}

bool openerWindowShowsFolder(std::string_view title, bool inOpenersSession, bool existedBeforeOpen,
                             const FolderWindow& folder) {
    return inOpenersSession && !existedBeforeOpen && titleNamesFolder(title, folder);
}

}  // namespace quorvel::runtime::qt
