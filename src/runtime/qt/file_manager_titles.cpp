#include "runtime/qt/file_manager_titles.h"

#include <string>

namespace quorvel::runtime::qt {

bool titleShowsFolder(std::string_view title, std::string_view windowClass,
                      const FolderWindow& folder) {
    const std::string& name = folder.name;
    if (windowClass == "Thunar" || windowClass == "thunar") {
        return title == name + " - Thunar";
    }
    if (windowClass == "dolphin" || windowClass == "org.kde.dolphin") {
        return title == name + " \u2014 Dolphin" || title == name;
    }
    return title == name;
}

}  // namespace quorvel::runtime::qt
