// SPDX-License-Identifier: MIT
#include "runtime/qt/file_manager_titles.h"

#include <gtest/gtest.h>

namespace quorvel::runtime::qt {
namespace {

struct Case {
    const char* title;
    const char* windowClass;
    bool showsFolder;
};

TEST(FileManagerTitles, EachFileManagersFolderTitleAndNoOtherProgramsWindow) {
    const FolderWindow folder{"/opt/Quorvel/taro", "taro"};
    const Case cases[] = {
        {"taro - Thunar", "Thunar", true},
        {"taro - Thunar", "thunar", true},  // the Wayland app_id
        {"taro", "Thunar", false},
        {"taro", "Pcmanfm", true},
        {"taro", "pcmanfm-qt", true},
        {"taro", "Caja", true},
        {"taro", "Nemo", true},
        {"taro", "org.gnome.Nautilus", true},
        {"taro \u2014 Dolphin", "dolphin", true},
        {"taro", "dolphin", true},  // its WM_NAME
        {"taro \u2014 Dolphin", "org.kde.dolphin", true},
        {"taro - Dolphin", "dolphin", false},
        {"taro", "XTerm", false},
        {"taro", "", false},
        {"taro - Thunar", "Caja", false},
        {"taro ", "Caja", false},
        {"Taro", "Caja", false},
        {"tarou", "Nemo", false},
        {"xtaro - Thunar", "Thunar", false},
        {"taro - Thunarx", "Thunar", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(titleShowsFolder(c.title, c.windowClass, folder), c.showsFolder)
            << c.title << " / " << c.windowClass;
    }
    EXPECT_FALSE(titleShowsFolder("", "Caja", {"/", ""}));
    EXPECT_TRUE(titleShowsFolder("Default User - Thunar", "Thunar",
                                 {"/opt/Quorvel/Default User", "Default User"}));
}

}  // namespace
}  // namespace quorvel::runtime::qt
