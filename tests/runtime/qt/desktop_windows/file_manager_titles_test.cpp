// SPDX-License-Identifier: MIT
#include "runtime/qt/desktop_windows/file_manager_titles.h"

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

// A window of the folder's own opener, of any program: the name or full path, whole or as one
// " - " part, after the open; near misses, an older window and another session's stay.
TEST(FileManagerTitles, TheOpenersWindowByTheFolderNameOrPathInItsTitle) {
    const FolderWindow folder{"/opt/Quorvel/taro", "taro"};
    for (const char* title : {"taro", "/opt/Quorvel/taro", "Xfe - /opt/Quorvel/taro",
                              "/opt/Quorvel/taro - ROX-Filer", "a - taro - b"}) {
        EXPECT_TRUE(openerWindowShowsFolder(title, true, false, folder)) << title;
        EXPECT_FALSE(openerWindowShowsFolder(title, false, false, folder)) << title;
        EXPECT_FALSE(openerWindowShowsFolder(title, true, true, folder)) << title;
    }
    for (const char* title :
         {"", "tarou", "xtaro", "Taro", "taro ", "/opt/Quorvel/taro/", "/opt/Quorvel/taro/sub",
          "Xfe - /opt/Quorvel/taro/sub", "Xfe - /home/taro", "/opt/Quorvel/tarot", "Xfe -taro",
          "Xfe-/opt/Quorvel/taro", "taro -", "Xfe - /opt/Quorvel/taro2 - x"}) {
        EXPECT_FALSE(openerWindowShowsFolder(title, true, false, folder)) << title;
    }
    EXPECT_FALSE(openerWindowShowsFolder("", true, false, {"", ""}));
    EXPECT_TRUE(openerWindowShowsFolder("/srv/a - b/Default User", true, false,
                                        {"/srv/a - b/Default User", "Default User"}));
}

}  // namespace
}  // namespace quorvel::runtime::qt
