// SPDX-License-Identifier: MIT
#include "tray/form1.h"

#include "bookmarks/bookmark_store.h"
#include "bookmarks/frm_url_edit.h"
#include "bookmarks/module1.h"
#include "folder/private_folder.h"
#include "runtime/mouse_messages.h"
#include "tray/mouse_message_decoding.h"
#include "tray/tray_icon_record.h"

namespace quorvel::tray {

Form1::Form1(Module1& module, runtime::Runtime& runtime)
    : bookmarks::MainForm(runtime, runtime::FormDescription{"Form1", 0, 0, {}}),
      FileMenu(module, runtime),
      module_(module) {}

void Form1::Form_Load() {
    setVisible(false);
    module_.TrayIcon = makeTrayIconRecord(hWnd(), icon());
    runtime().tray.add(module_.TrayIcon, FileMenu.popupMenu());
    LoadUrlFromReg();
    SetUrlMenu();
}

void Form1::formPrivateFolder() {
    // Looked up on first need: the name service costs start-up time and memory, and only a left
    // press (and the exit after one) needs the name.
    if (privateFolderFormed_) {
        return;
    }
    privateFolderFormed_ = true;
    UserName = folder::userNameOf(runtime().system);
    PrivateFolder = folder::privateFolderPath(runtime().system.applicationFolder(), UserName,
                                              runtime().system.pathSeparator());
}

void Form1::Form_MouseDown(std::int16_t /*Button*/, std::int16_t /*Shift*/, float X, float /*Y*/) {
    const std::int32_t message =
        recoverMouseMessage(X, scaleMode(), runtime().windows.twipsPerPixelX());
    switch (message) {
        case runtime::WM_LBUTTONDOWN:
            formPrivateFolder();
            if (!privateFolderOpened_) {
                runtime().desktop.noteWindowsBeforeOpen(folderWindow());
            }
            if (folder::openPrivateFolder(PrivateFolder, runtime())) {
                privateFolderOpened_ = true;
            }
            break;
        case runtime::WM_RBUTTONDOWN:
            runtime().windows.setForegroundWindow(hWnd());
            FileMenu.popup();
            break;
        default:
            break;
    }
}

void Form1::Form_QueryUnload(std::int16_t& /*Cancel*/, std::int16_t /*UnloadMode*/) {
    SaveUrlToReg();
    runtime().tray.remove(module_.TrayIcon);
}

void Form1::Form_Unload(std::int16_t& /*Cancel*/) {
    // Closing the folder's window is a courtesy: whatever goes wrong, the shut-down goes on.
    try {
        if (privateFolderOpened_) {
            runtime().desktop.closeFolderWindow(folderWindow());
        }
    } catch (...) {
    }
    if (const auto editor = module_.frmUrlEdit) {
        editor->unload();
    }
    module_.frmUrlEdit.reset();
    module_.Form1.reset();
}

bool Form1::FileExists() {
    formPrivateFolder();
    return folder::FileExists(PrivateFolder, runtime().files);
}

void Form1::SaveUrlToReg() {
    if (bookmarks::saveBookmarks(module_, module_.StoredUrls, runtime().settings,
                                 runtime().messageBox,
                                 kQuitSaveErrorTitle) == bookmarks::SaveResult::TookOtherRows) {
        SetUrlMenu();
    }
}

void Form1::LoadUrlFromReg() {
    bookmarks::LoadUrlFromReg(module_, module_.StoredUrls, runtime().settings);
}

}  // namespace quorvel::tray
